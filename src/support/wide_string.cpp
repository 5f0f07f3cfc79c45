// WideString: growth, editing and the narrow-to-wide conversion.
#include "support/wide_string.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "support/growth.h"

namespace oru {

namespace {

int unitLength(const char16_t* units) {
    int n = 0;
    while (units[n]) ++n;
    return n;
}

}  // namespace

WideString::WideString(const char16_t* units, int count) {
    resize(0);
    if (!units) return;
    append(units, count < 0 ? unitLength(units) : count);
}

WideString::WideString(const WideString& other) {
    resize(0);
    append(other.c_str(), other.length_);
}

WideString& WideString::operator=(const WideString& other) {
    if (this != &other) {
        WideString copy(other);
        std::swap(data_, copy.data_);
        std::swap(length_, copy.length_);
        std::swap(capacity_, copy.capacity_);
    }
    return *this;
}

WideString::~WideString() { std::free(data_); }

void WideString::resize(int n) {
    if (n < 0) n = 0;
    int grown = grownCapacity(capacity_, static_cast<int64_t>(n) + 1, sizeof(char16_t));
    if (grown < 0) throw std::bad_alloc();
    if (grown != capacity_ || !data_) {
        void* moved = std::realloc(data_, static_cast<size_t>(grown) * sizeof(char16_t));
        if (!moved) throw std::bad_alloc();
        data_ = static_cast<char16_t*>(moved);
        capacity_ = grown;
    }
    length_ = n;
    data_[n] = 0;
}

void WideString::append(const char16_t* units, int count) {
    if (!units || count <= 0) return;
    if (data_ && units >= data_ && units < data_ + capacity_) {
        WideString copy(units, count);
        append(copy.data_, count);
        return;
    }
    int start = length_;
    resize(lengthAfter(start, count));
    std::memcpy(data_ + start, units, static_cast<size_t>(count) * sizeof(char16_t));
}

char16_t* WideString::makeRoom(int pos, int count) {
    if (pos < 0) pos = 0;
    if (pos > length_) pos = length_;
    if (count < 0) count = 0;
    int oldLength = length_;
    resize(lengthAfter(oldLength, count));
    std::memmove(data_ + pos + count, data_ + pos,
                 static_cast<size_t>(oldLength - pos) * sizeof(char16_t));
    return data_ + pos;
}

}  // namespace oru
