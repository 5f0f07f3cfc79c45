// The pointer width a runtime library was built for, from its PE or ELF header.
#include <cstring>

#include "jvm/runtime_discovery.h"
#include "platform/files.h"

namespace oru {

int libraryPointerBits(const NarrowString& path) {
    platform::ReadOnlyFile file;
    unsigned char head[64];
    if (!file.open(path.c_str()) || file.readAt(0, head, sizeof head) != sizeof head) return 0;
    if (std::memcmp(head,
                    "\x7f"
                    "ELF",
                    4) == 0)
        return head[4] == 1 ? 32 : head[4] == 2 ? 64 : 0;
    if (head[0] != 'M' || head[1] != 'Z') return 0;
    // The DOS header's last field locates the PE signature, which the machine type follows.
    const uint32_t peOffset =
        head[0x3c] | head[0x3d] << 8 | head[0x3e] << 16 | static_cast<uint32_t>(head[0x3f]) << 24;
    unsigned char pe[6];
    if (file.readAt(peOffset, pe, sizeof pe) != sizeof pe || std::memcmp(pe, "PE\0\0", 4) != 0)
        return 0;
    switch (pe[4] | pe[5] << 8) {
        case 0x014c:  // x86
            return 32;
        case 0x8664:  // x86_64
        case 0xaa64:  // ARM64
            return 64;
        default:
            return 0;
    }
}

}  // namespace oru
