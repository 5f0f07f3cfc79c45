// Directory identity on Windows: volume serial number and file index.
// Only Windows code belongs in this file.
#include "platform/directory_identity.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

bool directoryIdentity(const char* path, DirectoryIdentity& out) {
    if (!path) return false;
    // Backup semantics opens directories; junctions are followed to their target.
    win32::ScopedHandle handle(CreateFileW(win32::wide(win32::widePath(path)), 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                           nullptr));
    if (!handle.valid()) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.get(), &info)) return false;
    out.volume = info.dwVolumeSerialNumber;
    out.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace oru::platform
