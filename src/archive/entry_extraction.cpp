// extractEntry: open, read and close an entry, turning the reader's exceptions into false.
#include "archive/entry_extraction.h"

#include <new>

#include "archive/zip_reader.h"

namespace oru {

bool extractEntry(CZipReader& reader, uint16_t index, unsigned char* buffer, uint32_t size) {
    try {
        if (!reader.openEntry(index)) return false;
        if (reader.readData(buffer, size) != size) {
            reader.closeEntry(true);
            return false;
        }
        // -1 (bytes left unread: the data ended early) is as much a failure as a throw.
        return reader.closeEntry(false) == 1;
    } catch (const CZipException&) {
    } catch (const std::bad_alloc&) {
    }
    reader.closeEntry(true);
    return false;
}

}  // namespace oru
