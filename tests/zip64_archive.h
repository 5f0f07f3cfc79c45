// ZIP64 archives made in code, for the archive tests and the fuzzer's seeds: stored
// entries whose end figures, and optionally sizes and offsets, are in ZIP64 records.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/zip_records.h"
#include "support/little_endian.h"

namespace oru::testing {

// Where the figures go: the end records only (as Python's zipfile and the JDK write an
// archive of more than 65,535 small entries); also every size and offset, in ZIP64
// blocks of the local and central records; and with data descriptors of 8-byte sizes.
enum class Zip64Figures { kEndRecords, kExtraFields, kDescriptors };

struct Zip64Layout {
    std::vector<uint32_t> local;    // each entry's local header
    std::vector<uint32_t> central;  // each entry's central record
    uint32_t end64 = 0;             // the ZIP64 end record; its locator follows, 56 bytes on
    uint32_t end = 0;               // the end record
};

inline void append64(std::string& out, uint64_t value) {
    append32(out, static_cast<uint32_t>(value));
    append32(out, static_cast<uint32_t>(value >> 32));
}

inline void set64(std::string& bytes, size_t at, uint64_t value) {
    set32(bytes, at, static_cast<uint32_t>(value));
    set32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}

// The archive of `entries` (name, content), all stored. The end record says 0xFFFF
// entries, and with extra fields 0xFFFFFFFF for the directory's size and offset too.
inline std::string zip64Archive(const std::vector<std::pair<std::string, std::string>>& entries,
                                Zip64Figures figures, Zip64Layout* layout = nullptr) {
    const bool extended = figures != Zip64Figures::kEndRecords;
    const bool described = figures == Zip64Figures::kDescriptors;
    Zip64Layout at;
    std::string out, central;
    for (const auto& [name, data] : entries) {
        const auto size = static_cast<uint32_t>(data.size());
        const auto crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(size)));
        const auto offset = static_cast<uint32_t>(out.size());
        at.local.push_back(offset);
        at.central.push_back(static_cast<uint32_t>(central.size()));
        // The local header: with a descriptor, its CRC is 0 and its ZIP64 sizes too.
        append32(out, kLocalSignature);
        append32(out, described ? 0x0008002D : 0x0000002D);  // version 4.5, flags
        append16(out, 0);                                    // stored
        append32(out, 0x00210000);                           // 1980-01-01 00:00
        append32(out, described ? 0 : crc);
        append32(out, extended ? kZip64Value : size);
        append32(out, extended ? kZip64Value : size);
        append16(out, static_cast<uint32_t>(name.size()));
        append16(out, extended ? 20 : 0);
        out += name;
        if (extended) {
            append16(out, kZip64ExtraTag);
            append16(out, 16);
            append64(out, described ? 0 : size);
            append64(out, described ? 0 : size);
        }
        out += data;
        if (described) {
            append32(out, kDescriptorSignature);
            append32(out, crc);
            append64(out, size);
            append64(out, size);
        }
        append32(central, kCentralSignature);
        append32(central, 0x002D002D);  // made by and needed: 4.5
        append16(central, described ? 8 : 0);
        append16(central, 0);
        append32(central, 0x00210000);
        append32(central, crc);
        append32(central, extended ? kZip64Value : size);
        append32(central, extended ? kZip64Value : size);
        append16(central, static_cast<uint32_t>(name.size()));
        append16(central, extended ? 28 : 0);
        append32(central, 0);  // comment length, disk
        append16(central, 0);  // internal attributes
        append32(central, 0);  // external attributes
        append32(central, extended ? kZip64Value : offset);
        central += name;
        if (extended) {
            append16(central, kZip64ExtraTag);
            append16(central, 24);
            append64(central, size);
            append64(central, size);
            append64(central, offset);
        }
    }
    const auto directory = static_cast<uint32_t>(out.size());
    for (uint32_t& place : at.central) place += directory;
    out += central;
    at.end64 = static_cast<uint32_t>(out.size());
    append32(out, kZip64EndSignature);
    append64(out, kZip64EndRecordSize - 12);
    append32(out, 0x002D002D);
    append64(out, 0);  // this disk, the directory's disk
    append64(out, entries.size());
    append64(out, entries.size());
    append64(out, central.size());
    append64(out, directory);
    append32(out, kZip64LocatorSignature);
    append32(out, 0);
    append64(out, at.end64);
    append32(out, 1);  // disks
    at.end = static_cast<uint32_t>(out.size());
    append32(out, kEndSignature);
    append32(out, 0);
    append16(out, kZip64Count);
    append16(out, kZip64Count);
    append32(out, extended ? kZip64Value : static_cast<uint32_t>(central.size()));
    append32(out, extended ? kZip64Value : directory);
    append16(out, 0);
    if (layout) *layout = std::move(at);
    return out;
}

// `count` entries named "f/00000" on, each holding its own number.
inline std::vector<std::pair<std::string, std::string>> numberedEntries(int count) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < count; ++i) {
        std::string number = std::to_string(i);
        entries.emplace_back(
            "f/" + std::string(5 - std::min<size_t>(5, number.size()), '0') + number, number);
    }
    return entries;
}

}  // namespace oru::testing
