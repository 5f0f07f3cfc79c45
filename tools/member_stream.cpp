// Streaming archive members from their files: one pass to measure, one to write.
#include "member_stream.h"

#include <zlib.h>

#include <memory>
#include <stdexcept>

#include "input_file.h"

namespace oru::tools {

namespace {

constexpr int kChunk = 64 * 1024;

// Counts what passes through; forwards it to `next` when there is one.
class CountingSink : public ByteSink {
public:
    explicit CountingSink(ByteSink* next) : next_(next) {}
    bool write(const char* bytes, size_t count, std::string& error) override {
        total += count;
        return !next_ || next_->write(bytes, count, error);
    }
    uint64_t total = 0;

private:
    ByteSink* next_;
};

// A raw deflate stream at the best compression, as deflateRaw makes it: the same
// settings give the same bytes however the input is cut into pieces.
class Deflater {
public:
    Deflater() {
        if (deflateInit2(&stream_, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK)
            throw std::runtime_error("cannot start a deflate stream: out of memory");
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater() { deflateEnd(&stream_); }

    // Compresses `count` bytes (the last piece with `last`) into `out`.
    bool put(const char* bytes, size_t count, bool last, ByteSink& out, std::string& error) {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        stream_.avail_in = static_cast<uInt>(count);
        int rc;
        do {
            stream_.next_out = reinterpret_cast<Bytef*>(buffer_);
            stream_.avail_out = sizeof buffer_;
            rc = deflate(&stream_, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR) {
                error = "deflate failed";
                return false;
            }
            const size_t made = sizeof buffer_ - stream_.avail_out;
            if (made && !out.write(buffer_, made, error)) return false;
        } while (stream_.avail_out == 0 || (last && rc != Z_STREAM_END));
        return true;
    }

private:
    z_stream stream_{};
    char buffer_[kChunk];
};

// Reads the whole member through `out` as `method` gives it: its CRC and size into
// `digest`, and what is written counted in `digest.storedSize`.
bool streamMember(InputFile& input, const std::string& path, ZipMethod method, ByteSink* out,
                  MemberDigest& digest, std::string& error) {
    auto buffer = std::make_unique<char[]>(kChunk);
    CountingSink counted(out);
    std::unique_ptr<Deflater> deflater;
    if (method == ZipMethod::kDeflated) deflater = std::make_unique<Deflater>();
    uLong crc = crc32(0, nullptr, 0);
    uint64_t left = input.size();
    do {
        const int want = left < kChunk ? static_cast<int>(left) : kChunk;
        const int got = want ? input.read(buffer.get(), want) : 0;
        if (got < 0 || (want && got == 0)) {
            error = "cannot read " + path + (got < 0 ? "" : ": it became shorter while read");
            return false;
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.get()), static_cast<uInt>(got));
        left -= static_cast<uint64_t>(got);
        const bool ok = deflater ? deflater->put(buffer.get(), got, left == 0, counted, error)
                                 : counted.write(buffer.get(), got, error);
        if (!ok) return false;
    } while (left > 0);
    digest.crc = static_cast<uint32_t>(crc);
    digest.size = input.size();
    digest.storedSize = counted.total;
    return true;
}

}  // namespace

bool measureMember(const std::string& path, ZipMethod method, MemberDigest& digest,
                   std::string& error) {
    InputFile input;
    if (!input.open(path, kLargestMember, error) ||
        !streamMember(input, path, method, nullptr, digest, error))
        return false;
    if (digest.storedSize > kLargestMember) {
        error = path + " does not compress to at most " + std::to_string(kLargestMember) + " bytes";
        return false;
    }
    return true;
}

bool writeMember(const std::string& path, ZipMethod method, const MemberDigest& digest,
                 ByteSink& out, std::string& error) {
    InputFile input;
    MemberDigest written;
    if (!input.open(path, kLargestMember, error)) return false;
    if (input.size() != digest.size) {
        error = path + " changed while oru-pack read it";
        return false;
    }
    if (!streamMember(input, path, method, &out, written, error)) return false;
    // The local header went out before the data: the data must still be what it says.
    if (written.crc != digest.crc || written.storedSize != digest.storedSize) {
        error = path + " changed while oru-pack read it";
        return false;
    }
    return true;
}

}  // namespace oru::tools
