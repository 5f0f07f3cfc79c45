// MyCException: the base of the launcher's few exception types, carrying a numeric code.
#pragma once

namespace oru {

// Only the ZIP reader throws; everything else reports failures as results.
class MyCException {
public:
    explicit MyCException(int code) : code_(code) {}
    virtual ~MyCException() = default;

    int code() const { return code_; }
    // A short English description of the code; static storage, never null.
    virtual const char* what() const = 0;

private:
    int code_;
};

}  // namespace oru
