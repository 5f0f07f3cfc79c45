// CZipSource: the byte sources the ZIP reader reads through, a file or a memory buffer.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/files.h"

namespace oru {

enum class SeekOrigin { kBegin, kCurrent, kEnd };

// Positions are 64-bit so that an offset taken from a hostile archive cannot wrap
// around; a position may lie past the end, where reads deliver nothing. A source over a
// file reads it at offsets only, so that sources over stretches of one file (and the
// file's own) may read it from different threads at once.
class CZipSource {
public:
    virtual ~CZipSource() = default;
    // Copies up to `count` bytes from the position and advances past them; returns how
    // many were delivered, 0 at the end or on failure.
    virtual uint32_t read(void* buffer, uint32_t count) = 0;
    // Copies exactly `count` bytes at `offset` of the source, neither using nor moving
    // the position, so threads may read one source at once (the whole file beside its
    // reader, say); false when they are not all there.
    virtual bool readAt(uint64_t offset, void* buffer, uint32_t count) const = 0;
    // Moves the position and returns it; -1, with the position unchanged, when the
    // result would be negative.
    virtual int64_t seek(int64_t offset, SeekOrigin origin);
    virtual uint32_t length() const = 0;
    // Frees what the source holds (a file handle); the source can then be attached again.
    virtual void close() {}

protected:
    // The position `offset` from `origin`, or -1 when negative.
    int64_t resolve(int64_t offset, SeekOrigin origin) const;
    // Whether `count` bytes at `offset` lie inside `length` bytes.
    static bool contains(uint32_t length, uint64_t offset, uint32_t count) {
        return offset <= length && count <= length - offset;
    }

    int64_t position_ = 0;
};

// A caller's buffer, read in place: never owned, grown or freed.
class CZipMemorySource : public CZipSource {
public:
    // Attaches to `length` bytes at `bytes`, position 0; the buffer must outlive the use.
    void attach(const unsigned char* bytes, uint32_t length);
    uint32_t read(void* buffer, uint32_t count) override;
    bool readAt(uint64_t offset, void* buffer, uint32_t count) const override;
    uint32_t length() const override { return length_; }
    void close() override { attach(nullptr, 0); }

private:
    const unsigned char* bytes_ = nullptr;
    uint32_t length_ = 0;
};

// A stretch of a file that someone else keeps open, read at offsets: sources over
// different stretches of one file may be used from different threads at once. A small
// read with more of the stretch after it reads ahead, so that a local header and a
// small entry's data after it cost one read of the file, not two.
class CZipFileSliceSource : public CZipSource {
public:
    static constexpr uint32_t kReadAhead = 4096;

    // Attaches to `length` bytes of `file` from `offset`, position 0; `offset + length`
    // must not pass the file's size, and the file must outlive the use.
    void attach(const platform::ReadOnlyFile* file, uint32_t offset, uint32_t length);
    uint32_t read(void* buffer, uint32_t count) override;
    bool readAt(uint64_t offset, void* buffer, uint32_t count) const override;
    uint32_t length() const override { return length_; }
    void close() override { attach(nullptr, 0, 0); }
    // The file and where the stretch starts in it; null when detached.
    const platform::ReadOnlyFile* file() const { return file_; }
    uint32_t offset() const { return offset_; }

private:
    // Whether `count` bytes at `at` are held in ahead_.
    bool holds(uint32_t at, uint32_t count) const;
    // Reads up to kReadAhead bytes at `at` into ahead_ (made on first use).
    void readAhead(uint32_t at);

    const platform::ReadOnlyFile* file_ = nullptr;
    uint32_t offset_ = 0;
    uint32_t length_ = 0;
    std::unique_ptr<unsigned char[]> ahead_;
    uint32_t aheadStart_ = 0;  // position of ahead_[0] in the stretch
    uint32_t aheadLength_ = 0;
};

// A file opened read-only through the platform layer: a stretch of a file of its own,
// its archive region.
class CZipFileSource : public CZipFileSliceSource {
public:
    ~CZipFileSource() override;
    // False when the file cannot be opened or measured; the source then reads as empty.
    bool open(const char* path);
    void close() override;

private:
    platform::ReadOnlyFile handle_;
};

}  // namespace oru
