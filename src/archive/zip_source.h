// CZipSource: the byte sources the ZIP reader reads through, a file or a memory buffer.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/files.h"

namespace oru {

enum class SeekOrigin { begin, current, end };

// Positions are 64-bit so that an offset taken from a hostile archive cannot wrap
// around; a position may lie past the end, where reads deliver nothing.
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
    // Whether the bytes lie in a file, so that stretch can read parts of them in place.
    virtual bool inFile() const { return false; }
    // A source over `length` bytes from `offset` of this one that reads them where they
    // lie in the file; null for bytes in memory, for a stretch that does not fit and when
    // memory runs out. The new source shares the file, which must outlive it.
    virtual std::unique_ptr<CZipSource> stretch(uint64_t offset, uint32_t length) const;

protected:
    // The position `offset` from `origin`, or -1 when negative.
    int64_t resolve(int64_t offset, SeekOrigin origin) const;
    // Whether `count` bytes at `offset` lie inside the source.
    bool contains(uint64_t offset, uint32_t count) const {
        return offset <= length() && count <= length() - offset;
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

// A buffer of the source's own, freed with it.
class CZipBufferSource : public CZipMemorySource {
public:
    // Takes `bytes` (`length` of them) and attaches to them.
    CZipBufferSource(std::unique_ptr<unsigned char[]> bytes, uint32_t length);

private:
    std::unique_ptr<unsigned char[]> bytes_;
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
    bool inFile() const override { return file_ != nullptr; }
    std::unique_ptr<CZipSource> stretch(uint64_t offset, uint32_t length) const override;

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

// A file opened read-only through the platform layer. Every read names its offset, so
// the handle has no position of its own that stretches of the file could disturb.
class CZipFileSource : public CZipSource {
public:
    // False when the file cannot be opened or measured; the source then reads as empty.
    bool open(const char* path);
    uint32_t read(void* buffer, uint32_t count) override;
    bool readAt(uint64_t offset, void* buffer, uint32_t count) const override;
    uint32_t length() const override { return length_; }
    void close() override;
    bool inFile() const override { return file_.isOpen(); }
    std::unique_ptr<CZipSource> stretch(uint64_t offset, uint32_t length) const override;

private:
    platform::ReadOnlyFile file_;
    uint32_t length_ = 0;
};

}  // namespace oru
