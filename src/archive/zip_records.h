// The signatures and fixed sizes of ZIP records: one description for the launcher's
// reader, its configuration search and oru-pack's writer.
#pragma once

#include <cstdint>

namespace oru {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;

// The fixed parts, before the variable-length name, extra field and comment.
constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kCentralRecordSize = 46;
constexpr uint32_t kEndRecordSize = 22;
// A ZIP64 end record without extensible data, and the locator that follows it.
constexpr uint32_t kZip64EndRecordSize = 56;
constexpr uint32_t kZip64LocatorSize = 20;

// A field holding one of these says that its value is in a ZIP64 record: the ZIP64 end
// record for the end record's fields, the extended-information extra block (tag 1) for
// an entry's sizes and local header offset.
constexpr uint16_t kZip64Count = 0xFFFF;
constexpr uint32_t kZip64Value = 0xFFFFFFFF;
constexpr uint16_t kZip64ExtraTag = 0x0001;

}  // namespace oru
