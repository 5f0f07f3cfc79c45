// CZipMemorySource, CZipFileSliceSource and CZipFileSource: bounded reads and seeks.
#include "archive/zip_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/archive_region.h"

namespace oru {

int64_t CZipSource::resolve(int64_t offset, SeekOrigin origin) const {
    int64_t base = origin == SeekOrigin::kBegin     ? 0
                   : origin == SeekOrigin::kCurrent ? position_
                                                    : static_cast<int64_t>(length());
    int64_t target = base + offset;
    return target < 0 ? -1 : target;
}

int64_t CZipSource::seek(int64_t offset, SeekOrigin origin) {
    int64_t target = resolve(offset, origin);
    if (target >= 0) position_ = target;
    return target;
}

void CZipMemorySource::attach(const unsigned char* bytes, uint32_t length) {
    bytes_ = bytes;
    length_ = bytes ? length : 0;
    position_ = 0;
}

uint32_t CZipMemorySource::read(void* buffer, uint32_t count) {
    if (!buffer || position_ >= length_) return 0;
    uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, length_ - position_));
    std::memcpy(buffer, bytes_ + position_, n);
    position_ += n;
    return n;
}

bool CZipMemorySource::readAt(uint64_t offset, void* buffer, uint32_t count) const {
    if (!buffer || !contains(length_, offset, count)) return false;
    if (count > 0) std::memcpy(buffer, bytes_ + offset, count);
    return true;
}

void CZipFileSliceSource::attach(const platform::ReadOnlyFile* file, uint32_t offset,
                                 uint32_t length) {
    file_ = file;
    offset_ = file ? offset : 0;
    length_ = file ? length : 0;
    position_ = 0;
    aheadLength_ = 0;
}

bool CZipFileSliceSource::holds(uint32_t at, uint32_t count) const {
    return ahead_ && at >= aheadStart_ && at - aheadStart_ <= aheadLength_ &&
           count <= aheadLength_ - (at - aheadStart_);
}

void CZipFileSliceSource::readAhead(uint32_t at) {
    aheadLength_ = 0;
    if (!ahead_) ahead_.reset(new (std::nothrow) unsigned char[kReadAhead]);
    if (!ahead_) return;
    aheadStart_ = at;
    aheadLength_ = platform::readFileAt(*file_, uint64_t{offset_} + at, ahead_.get(),
                                        std::min(kReadAhead, length_ - at));
}

uint32_t CZipFileSliceSource::read(void* buffer, uint32_t count) {
    if (!buffer || count == 0 || position_ >= length_) return 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(count, length_ - position_));
    const auto from = static_cast<uint32_t>(position_);
    if (wanted < kReadAhead && wanted < length_ - from && !holds(from, wanted)) readAhead(from);
    uint32_t done = wanted;
    if (holds(from, wanted))
        std::memcpy(buffer, ahead_.get() + (from - aheadStart_), wanted);
    else
        done = platform::readFileAt(*file_, uint64_t{offset_} + from, buffer, wanted);
    position_ += done;
    return done;
}

bool CZipFileSliceSource::readAt(uint64_t offset, void* buffer, uint32_t count) const {
    return file_ && buffer && contains(length_, offset, count) &&
           platform::readFileAt(*file_, offset_ + offset, buffer, count) == count;
}

bool CZipFileSource::open(const char* path) {
    close();
    uint32_t size = 0;
    if (!handle_.open(path, platform::FileSharing::kReaders) || !handle_.size(size)) {
        close();
        return false;
    }
    attach(&handle_, 0, size);
    // A signed executable's certificate table follows the archive: the source ends
    // before it, so the archive reads as it did before signing.
    attach(&handle_, 0, static_cast<uint32_t>(findArchiveRegion(*this).length));
    return true;
}

// Defined here once: the readers that hold a file source would otherwise each keep a
// copy of their own.
CZipFileSource::~CZipFileSource() = default;

void CZipFileSource::close() {
    CZipFileSliceSource::close();
    handle_.close();
}

}  // namespace oru
