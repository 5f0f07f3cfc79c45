// The archive comment that carries the configuration: the most the launcher reads, which
// oru-pack never writes past, and how much of the file's tail holds it.
#pragma once

#include <cstdint>

#include "archive/zip_records.h"

namespace oru {

constexpr uint32_t kMaxConfigurationBytes = 2048;

// The end record and the comment after it lie within this many bytes of the archive's
// end.
constexpr uint32_t kConfigurationSearchSpan = kMaxConfigurationBytes + kEndRecordSize;

}  // namespace oru
