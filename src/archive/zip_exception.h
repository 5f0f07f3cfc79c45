// CZipException: the ZIP reader's failures, with the codes callers may test.
#pragma once

#include "support/my_exception.h"

namespace oru {

class CZipException : public MyCException {
public:
    enum Code {
        genericError = 100,
        badArchive = 101,
        badCrc = 102,
        badPassword = 110,
        endRecordNotFound = 116,
        // zlib results: 500 + (1 - result) for Z_STREAM_END down to Z_VERSION_ERROR.
        zlibStreamEnd = 500,
        zlibNeedDict = 501,
        zlibErrno = 502,
        zlibStreamError = 503,
        zlibDataError = 504,
        zlibMemError = 505,
        zlibBufError = 506,
        zlibVersionError = 507,
    };

    explicit CZipException(Code code) : MyCException(code) {}
    const char* what() const override;

    // The code for a zlib result that is neither Z_OK nor a success the caller handles.
    static Code fromZlib(int result);
};

// Throws CZipException with `code`; kept out of line so callers stay small.
[[noreturn]] void throwZip(CZipException::Code code);

}  // namespace oru
