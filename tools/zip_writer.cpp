// ZipWriter: local headers, central directory and end record, stored or deflated.
#include "zip_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace oru::tools {

void putU16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void putU32(std::string& out, uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

std::string deflateRaw(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

void ZipWriter::add(const std::string& name, const std::string& data, ZipMethod method) {
    Entry entry;
    entry.name = name;
    entry.size = static_cast<uint32_t>(data.size());
    entry.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    entry.method = method;
    entry.stored = method == ZipMethod::kDeflated ? deflateRaw(data) : data;
    entries_.push_back(std::move(entry));
}

namespace {

// The fields that local and central records share, from "version needed" to the name length.
void putCommonFields(std::string& out, const ZipWriter::Entry& entry) {
    putU16(out, 20);  // version needed: 2.0
    putU16(out, 0);   // flags
    putU16(out, static_cast<uint16_t>(entry.method));
    putU16(out, 0);     // time
    putU16(out, 0x21);  // date: 1980-01-01
    putU32(out, entry.crc);
    putU32(out, static_cast<uint32_t>(entry.stored.size()));
    putU32(out, entry.size);
    putU16(out, static_cast<uint32_t>(entry.name.size()));
    putU16(out, 0);  // extra length
}

}  // namespace

std::string ZipWriter::finish(const std::string& comment) const {
    std::string archive;
    std::string central;
    for (const Entry& entry : entries_) {
        uint32_t offset = static_cast<uint32_t>(archive.size());
        putU32(archive, 0x04034b50);
        putCommonFields(archive, entry);
        archive += entry.name;
        archive += entry.stored;

        putU32(central, 0x02014b50);
        putU16(central, 20);  // version made by
        putCommonFields(central, entry);
        putU16(central, 0);  // comment length
        putU16(central, 0);  // disk
        putU16(central, 0);  // internal attributes
        putU32(central, entry.name.empty() || entry.name.back() != '/' ? 0 : 0x10);
        putU32(central, offset);
        central += entry.name;
    }
    uint32_t centralOffset = static_cast<uint32_t>(archive.size());
    archive += central;
    putU32(archive, 0x06054b50);
    putU16(archive, 0);
    putU16(archive, 0);
    putU16(archive, static_cast<uint32_t>(entries_.size()));
    putU16(archive, static_cast<uint32_t>(entries_.size()));
    putU32(archive, static_cast<uint32_t>(central.size()));
    putU32(archive, centralOffset);
    putU16(archive, static_cast<uint32_t>(comment.size() & 0xFFFF));
    archive += comment;
    return archive;
}

}  // namespace oru::tools
