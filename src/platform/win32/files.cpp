// Reading files on Windows: handles, mappings and whole-file reads.
// Only Windows code belongs in this file.
#include "platform/files.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

using win32::openSharedForReading;
using win32::ScopedHandle;

namespace {

// Only files on disk: CreateFile also opens pipes, consoles and devices, whose reads may
// block or never end.
HANDLE keepDiskFile(HANDLE file) {
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

bool ReadOnlyFile::open(const char* path, FileSharing sharing) {
    close();
    HANDLE file =
        keepDiskFile(sharing == FileSharing::kReaders
                         ? CreateFileW(win32::wide(win32::widePath(path)), GENERIC_READ,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                         : openSharedForReading(path));
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = file;
    return true;
}

void ReadOnlyFile::close() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

bool ReadOnlyFile::size(uint32_t& out) const {
    if (!handle_) return false;
    DWORD high = 0;
    DWORD low = GetFileSize(static_cast<HANDLE>(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    if (high != 0) return false;
    out = low;
    return true;
}

bool ReadOnlyFile::seek(uint32_t offset) {
    if (!handle_) return false;
    LONG high = 0;
    DWORD result =
        SetFilePointer(static_cast<HANDLE>(handle_), static_cast<LONG>(offset), &high, FILE_BEGIN);
    return !(result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

int ReadOnlyFile::read(void* buffer, int count) {
    if (!handle_ || count < 0) return -1;
    DWORD done = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &done, nullptr))
        return -1;
    return static_cast<int>(done);
}

int ReadOnlyFile::readAt(uint32_t offset, void* buffer, int count) const {
    if (!handle_ || count < 0) return -1;
    // On a handle opened for synchronous reads the call still waits; the offset in the
    // OVERLAPPED structure says where to read, whatever the handle's own position.
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD done = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &done, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return static_cast<int>(done);
}

bool MappedFile::open(const char* path) {
    close();
    ScopedHandle file(keepDiskFile(openSharedForReading(path)));
    if (!file.valid()) return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
    if (size > 0) {
        ScopedHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping.valid()) return false;
        void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
        if (!view) return false;
        data_ = static_cast<const unsigned char*>(view);
        mapping_ = mapping.release();
    }
    size_ = size;
    file_ = file.release();
    return true;
}

void MappedFile::close() {
    if (data_) UnmapViewOfFile(data_);
    if (mapping_) CloseHandle(static_cast<HANDLE>(mapping_));
    if (file_) CloseHandle(static_cast<HANDLE>(file_));
    data_ = nullptr;
    mapping_ = nullptr;
    file_ = nullptr;
    size_ = 0;
}

}  // namespace oru::platform
