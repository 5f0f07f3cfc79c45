// CZipException: zlib result mapping and descriptions.
#include "archive/zip_exception.h"

namespace oru {

namespace {

// zlib results from Z_STREAM_END (1) down to Z_VERSION_ERROR (-6).
constexpr const char* kZlibTexts[] = {
    "zlib: stream end", "zlib: dictionary needed", "zlib: file error",   "zlib: stream error",
    "zlib: data error", "zlib: out of memory",     "zlib: buffer error", "zlib: version error",
};
static_assert(sizeof kZlibTexts / sizeof *kZlibTexts ==
                  CZipException::zlibVersionError - CZipException::zlibStreamEnd + 1,
              "one text per zlib code");

}  // namespace

const char* CZipException::what() const {
    switch (code()) {
        case badArchive:
            return "damaged archive";
        case badCrc:
            return "checksum mismatch";
        case badPassword:
            return "encrypted entry";
        case endRecordNotFound:
            return "end record not found";
        default:
            break;
    }
    if (code() >= zlibStreamEnd && code() <= zlibVersionError)
        return kZlibTexts[code() - zlibStreamEnd];
    return "archive error";
}

CZipException::Code CZipException::fromZlib(int result) {
    if (result >= -6 && result <= 1) return static_cast<Code>(zlibStreamEnd + (1 - result));
    return genericError;
}

void throwZip(CZipException::Code code) { throw CZipException(code); }

}  // namespace oru
