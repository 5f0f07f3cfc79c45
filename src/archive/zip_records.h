// The signatures and fixed sizes of ZIP records: one description for the launcher's
// reader, its configuration search and oru-pack's writer.
#pragma once

#include <cstdint>

namespace oru {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;

// The fixed parts, before the variable-length name, extra field and comment.
constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kCentralRecordSize = 46;
constexpr uint32_t kEndRecordSize = 22;

}  // namespace oru
