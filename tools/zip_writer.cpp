// ZipWriter: local headers, central directory and end record, stored or deflated.
#include "zip_writer.h"

#include <zlib.h>

#include <stdexcept>

#include "archive/zip_records.h"
#include "member_stream.h"
#include "support/little_endian.h"

namespace oru::tools {

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

bool ZipWriter::addFile(const std::string& name, const std::string& path, ZipMethod method,
                        std::string& error) {
    MemberDigest digest;
    if (!measureMember(path, method, digest, error)) return false;
    Entry entry;
    entry.name = name;
    entry.method = method;
    entry.path = path;
    entry.crc = digest.crc;
    entry.size = digest.size;
    entry.storedSize = digest.storedSize;
    entries_.push_back(std::move(entry));
    return true;
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

uint64_t storedSizeOf(const ZipWriter::Entry& entry) {
    return entry.path.empty() ? entry.stored.size() : entry.storedSize;
}

uint64_t descriptorSize(const ZipWriter::Entry& entry) {
    switch (entry.options.descriptor) {
        case ZipDescriptor::kNone:
            return 0;
        case ZipDescriptor::kSigned:
            return 16;
        case ZipDescriptor::kUnsigned:
            return 12;
    }
    return 0;
}

// The fields that local and central records share, from "version needed" to the extra
// length. A local header of an entry with a descriptor carries zeros for CRC and sizes.
void putCommonFields(std::string& out, const ZipWriter::Entry& entry, bool local) {
    const bool deferred = local && entry.options.descriptor != ZipDescriptor::kNone;
    append16(out, 20);  // version needed: 2.0
    append16(out, flagsOf(entry));
    append16(out, static_cast<uint16_t>(entry.method));
    append16(out, entry.dosTime & 0xFFFF);
    append16(out, entry.dosTime >> 16);
    append32(out, deferred ? 0 : entry.crc);
    append32(out, deferred ? 0 : static_cast<uint32_t>(storedSizeOf(entry)));
    append32(out, deferred ? 0 : entry.size);
    append16(out, static_cast<uint32_t>(entry.name.size()));
    append16(out, local ? static_cast<uint32_t>(entry.localExtra.size()) : 0);
}

void putDescriptor(std::string& out, const ZipWriter::Entry& entry) {
    if (entry.options.descriptor == ZipDescriptor::kNone) return;
    if (entry.options.descriptor == ZipDescriptor::kSigned) append32(out, kDescriptorSignature);
    append32(out, entry.crc);
    append32(out, static_cast<uint32_t>(storedSizeOf(entry)));
    append32(out, entry.size);
}

void putCentralRecord(std::string& out, const ZipWriter::Entry& entry, uint32_t offset) {
    append32(out, kCentralSignature);
    append16(out, 20);  // version made by
    putCommonFields(out, entry, false);
    append16(out, static_cast<uint32_t>(entry.centralComment.size()));
    append16(out, 0);  // disk
    append16(out, 0);  // internal attributes
    append32(out, entry.name.empty() || entry.name.back() != '/' ? 0 : 0x10);
    append32(out, offset);
    out += entry.name;
    out += entry.centralComment;
}

// A name for a message: long ones cut.
std::string shownName(const std::string& name) {
    return name.size() <= 60 ? name : name.substr(0, 60) + "...";
}

// Whether every length fits its field of a ZIP record without ZIP64.
bool fitsRecords(const std::vector<ZipWriter::Entry>& entries, const std::string& comment,
                 std::string& error) {
    if (entries.size() > kLargestEntryCount) {
        error = "the archive would hold " + std::to_string(entries.size()) +
                " entries; without ZIP64 records it holds at most " +
                std::to_string(kLargestEntryCount);
        return false;
    }
    for (const ZipWriter::Entry& entry : entries) {
        if (entry.name.size() > kLargestNameLength) {
            error = "the entry name " + shownName(entry.name) + " takes " +
                    std::to_string(entry.name.size()) + " bytes; a ZIP record holds at most " +
                    std::to_string(kLargestNameLength);
            return false;
        }
        if (entry.localExtra.size() > 0xFFFF || entry.centralComment.size() > 0xFFFF) {
            error = "the entry " + shownName(entry.name) +
                    " has an extra field or comment "
                    "longer than a ZIP record holds";
            return false;
        }
    }
    if (comment.size() > 0xFFFF) {
        error = "the archive comment takes " + std::to_string(comment.size()) +
                " bytes; a ZIP record holds at most 65535";
        return false;
    }
    return true;
}

// Collects the archive in memory.
class StringSink : public ByteSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    bool write(const char* bytes, size_t count, std::string&) override {
        out_.append(bytes, count);
        return true;
    }

private:
    std::string& out_;
};

}  // namespace

bool ZipWriter::fits(const std::string& comment, std::string& error) const {
    if (!fitsRecords(entries_, comment, error)) return false;
    const uint64_t total = archiveSize(comment);
    if (total > kLargestArchive) {
        error = "the archive would take " + std::to_string(total) +
                " bytes; without ZIP64 records it holds at most " + std::to_string(kLargestArchive);
        return false;
    }
    return true;
}

uint64_t ZipWriter::archiveSize(const std::string& comment) const {
    uint64_t total = kEndRecordSize + comment.size();
    for (const Entry& entry : entries_) {
        total += kLocalHeaderSize + entry.name.size() + entry.localExtra.size() +
                 storedSizeOf(entry) + descriptorSize(entry);
        total += kCentralRecordSize + entry.name.size() + entry.centralComment.size();
    }
    return total;
}

std::string ZipWriter::finish(const std::string& comment, ZipLayout* layout,
                              bool reverseCentral) const {
    std::string archive, error;
    StringSink sink(archive);
    if (!write(sink, comment, error, layout, reverseCentral)) throw std::runtime_error(error);
    return archive;
}

bool ZipWriter::write(ByteSink& out, const std::string& comment, std::string& error,
                      ZipLayout* layout, bool reverseCentral) const {
    if (!fits(comment, error)) return false;
    ZipLayout places;
    uint64_t at = 0;
    std::string record;
    // Sends `record` on and empties it.
    auto flush = [&]() {
        at += record.size();
        const bool ok = out.write(record.data(), record.size(), error);
        record.clear();
        return ok;
    };
    for (const Entry& entry : entries_) {
        places.localOffsets.push_back(static_cast<uint32_t>(at));
        append32(record, kLocalSignature);
        putCommonFields(record, entry, true);
        record += entry.name;
        record += entry.localExtra;
        if (!flush()) return false;
        places.dataOffsets.push_back(static_cast<uint32_t>(at));
        if (entry.path.empty()) {
            record = entry.stored;
        } else {
            const MemberDigest digest{entry.crc, entry.size, entry.storedSize};
            if (!writeMember(entry.path, entry.method, digest, out, error)) return false;
            at += entry.storedSize;
        }
        putDescriptor(record, entry);
        if (!flush()) return false;
    }
    places.centralDirectoryOffset = static_cast<uint32_t>(at);
    places.centralOffsets.resize(entries_.size());
    for (size_t n = 0; n < entries_.size(); ++n) {
        size_t i = reverseCentral ? entries_.size() - 1 - n : n;
        places.centralOffsets[i] = static_cast<uint32_t>(at);
        putCentralRecord(record, entries_[i], places.localOffsets[i]);
        if (!flush()) return false;
    }
    const uint32_t centralSize = static_cast<uint32_t>(at) - places.centralDirectoryOffset;
    places.endRecordOffset = static_cast<uint32_t>(at);
    append32(record, kEndSignature);
    append16(record, 0);
    append16(record, 0);
    append16(record, static_cast<uint32_t>(entries_.size()));
    append16(record, static_cast<uint32_t>(entries_.size()));
    append32(record, centralSize);
    append32(record, places.centralDirectoryOffset);
    append16(record, static_cast<uint32_t>(comment.size()));
    record += comment;
    if (!flush()) return false;
    if (layout) *layout = std::move(places);
    return true;
}

}  // namespace oru::tools
