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

void patchU16(std::string& archive, size_t at, uint32_t value) {
    archive.at(at) = static_cast<char>(value & 0xFF);
    archive.at(at + 1) = static_cast<char>((value >> 8) & 0xFF);
}

void patchU32(std::string& archive, size_t at, uint32_t value) {
    patchU16(archive, at, value & 0xFFFF);
    patchU16(archive, at + 2, value >> 16);
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

void ZipWriter::add(const std::string& name, const std::string& data, ZipMethod method,
                    const ZipEntryOptions& options) {
    Entry entry;
    entry.options = options;
    entry.name = name;
    entry.size = static_cast<uint32_t>(data.size());
    entry.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    entry.method = method;
    entry.stored = method == ZipMethod::kDeflated ? deflateRaw(data) : data;
    entries_.push_back(std::move(entry));
}

namespace {

uint16_t flagsOf(const ZipWriter::Entry& entry) {
    uint16_t flags = entry.options.flags;
    if (entry.options.descriptor != ZipDescriptor::kNone) flags |= 0x0008;
    // Names are written as given, UTF-8: a name that is not ASCII says so, as jar does.
    for (unsigned char c : entry.name)
        if (c >= 0x80 && entry.options.markUtf8) flags |= 0x0800;
    return flags;
}

// The fields that local and central records share, from "version needed" to the extra
// length. A local header of an entry with a descriptor carries zeros for CRC and sizes.
void putCommonFields(std::string& out, const ZipWriter::Entry& entry, bool local) {
    const bool deferred = local && entry.options.descriptor != ZipDescriptor::kNone;
    putU16(out, 20);  // version needed: 2.0
    putU16(out, flagsOf(entry));
    putU16(out, static_cast<uint16_t>(entry.method));
    putU16(out, 0);       // time
    putU16(out, 0x21);    // date: 1980-01-01
    putU32(out, deferred ? 0 : entry.crc);
    putU32(out, deferred ? 0 : static_cast<uint32_t>(entry.stored.size()));
    putU32(out, deferred ? 0 : entry.size);
    putU16(out, static_cast<uint32_t>(entry.name.size()));
    putU16(out, local ? static_cast<uint32_t>(entry.localExtra.size()) : 0);
}

void putDescriptor(std::string& out, const ZipWriter::Entry& entry) {
    if (entry.options.descriptor == ZipDescriptor::kNone) return;
    if (entry.options.descriptor == ZipDescriptor::kSigned) putU32(out, 0x08074b50);
    putU32(out, entry.crc);
    putU32(out, static_cast<uint32_t>(entry.stored.size()));
    putU32(out, entry.size);
}

void putCentralRecord(std::string& out, const ZipWriter::Entry& entry, uint32_t offset) {
    putU32(out, 0x02014b50);
    putU16(out, 20);  // version made by
    putCommonFields(out, entry, false);
    putU16(out, static_cast<uint32_t>(entry.centralComment.size()));
    putU16(out, 0);  // disk
    putU16(out, 0);  // internal attributes
    putU32(out, entry.name.empty() || entry.name.back() != '/' ? 0 : 0x10);
    putU32(out, offset);
    out += entry.name;
    out += entry.centralComment;
}

}  // namespace

std::string ZipWriter::finish(const std::string& comment, ZipLayout* layout,
                              bool reverseCentral) const {
    ZipLayout places;
    std::string archive;
    for (const Entry& entry : entries_) {
        places.localOffsets.push_back(static_cast<uint32_t>(archive.size()));
        putU32(archive, 0x04034b50);
        putCommonFields(archive, entry, true);
        archive += entry.name;
        archive += entry.localExtra;
        places.dataOffsets.push_back(static_cast<uint32_t>(archive.size()));
        archive += entry.stored;
        putDescriptor(archive, entry);
    }
    places.centralDirectoryOffset = static_cast<uint32_t>(archive.size());
    places.centralOffsets.resize(entries_.size());
    for (size_t n = 0; n < entries_.size(); ++n) {
        size_t i = reverseCentral ? entries_.size() - 1 - n : n;
        places.centralOffsets[i] = static_cast<uint32_t>(archive.size());
        putCentralRecord(archive, entries_[i], places.localOffsets[i]);
    }
    const uint32_t centralSize = static_cast<uint32_t>(archive.size()) - places.centralDirectoryOffset;
    places.endRecordOffset = static_cast<uint32_t>(archive.size());
    putU32(archive, 0x06054b50);
    putU16(archive, 0);
    putU16(archive, 0);
    putU16(archive, static_cast<uint32_t>(entries_.size()));
    putU16(archive, static_cast<uint32_t>(entries_.size()));
    putU32(archive, centralSize);
    putU32(archive, places.centralDirectoryOffset);
    putU16(archive, static_cast<uint32_t>(comment.size() & 0xFFFF));
    archive += comment;
    if (layout) *layout = std::move(places);
    return archive;
}

}  // namespace oru::tools
