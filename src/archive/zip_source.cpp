// CZipMemorySource, CZipFileSliceSource and CZipFileSource: bounded reads and seeks.
#include "archive/zip_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/archive_region.h"

namespace oru {

int64_t CZipSource::resolve(int64_t offset, SeekOrigin origin) const {
    int64_t base = origin == SeekOrigin::kBegin ? 0
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
    const int n = file_->readAt(offset_ + at, ahead_.get(),
                                static_cast<int>(std::min(kReadAhead, length_ - at)));
    aheadStart_ = at;
    aheadLength_ = n > 0 ? static_cast<uint32_t>(n) : 0;
}

uint32_t CZipFileSliceSource::read(void* buffer, uint32_t count) {
    if (!buffer || count == 0 || position_ >= length_) return 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(count, length_ - position_));
    const auto from = static_cast<uint32_t>(position_);
    if (wanted < kReadAhead && wanted < length_ - from && !holds(from, wanted)) readAhead(from);
    if (holds(from, wanted)) {
        std::memcpy(buffer, ahead_.get() + (from - aheadStart_), wanted);
        position_ += wanted;
        return wanted;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    uint32_t done = 0;
    while (done < wanted) {
        const uint32_t at = offset_ + static_cast<uint32_t>(position_) + done;
        const int chunk = static_cast<int>(std::min(wanted - done, 1u << 30));
        const int n = file_->readAt(at, out + done, chunk);
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
    position_ += done;
    return done;
}

bool CZipFileSource::open(const char* path) {
    close();
    if (!file_.open(path, platform::FileSharing::kReaders)) return false;
    if (!file_.size(length_)) {
        close();
        return false;
    }
    filePosition_ = -1;
    // A signed executable's certificate table follows the archive: the source ends
    // before it, so the archive reads as it did before signing.
    length_ = static_cast<uint32_t>(findArchiveRegion(file_, length_).length);
    return true;
}

void CZipFileSource::close() {
    file_.close();
    length_ = 0;
    position_ = 0;
    filePosition_ = -1;
}

uint32_t CZipFileSource::read(void* buffer, uint32_t count) {
    if (!buffer || position_ >= length_) return 0;
    // Never ask for bytes past the length measured at open, even if the file grew.
    uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(count, length_ - position_));
    if (filePosition_ != position_) {
        if (!file_.seek(static_cast<uint32_t>(position_))) return 0;
        filePosition_ = position_;
    }
    uint32_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < wanted) {
        uint32_t chunk = std::min<uint32_t>(wanted - done, 1u << 30);
        int n = file_.read(out + done, static_cast<int>(chunk));
        if (n <= 0) {
            filePosition_ = -1;
            break;
        }
        done += static_cast<uint32_t>(n);
    }
    position_ += done;
    if (filePosition_ >= 0) filePosition_ = position_;
    return done;
}

}  // namespace oru
