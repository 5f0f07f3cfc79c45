// NarrowString: growth, editing, substrings, comparisons and the wide conversion.
#include "support/narrow_string.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "support/growth.h"

namespace oru {

namespace {

int signedByte(const char* text, int pos, int length) {
    return pos < length ? static_cast<int>(static_cast<signed char>(text[pos])) : 0;
}

}  // namespace

NarrowString::NarrowString(const char* text, int count) {
    if (!text) return;
    if (count < 0) count = static_cast<int>(std::strlen(text));
    append(text, count);
    if (!data_) resize(0);
}

NarrowString::NarrowString(const NarrowString& other) {
    if (other.data_) {
        append(other.data_, other.length_);
        if (!data_) resize(0);
    }
}

NarrowString::NarrowString(NarrowString&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

NarrowString& NarrowString::operator=(const NarrowString& other) {
    if (this != &other) {
        resize(0);
        append(other.data_, other.length_);
    }
    return *this;
}

NarrowString& NarrowString::operator=(NarrowString&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

NarrowString& NarrowString::operator=(const char* text) {
    NarrowString copy(text);
    return *this = std::move(copy);
}

NarrowString::~NarrowString() { release(); }

void NarrowString::release() {
    std::free(data_);
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

void NarrowString::reserve(int n) { grow(n); }

void NarrowString::grow(int64_t n) {
    int grown = grownCapacity(capacity_, n);
    if (grown < 0) throw std::bad_alloc();
    if (grown == capacity_ && data_) return;
    void* moved = std::realloc(data_, static_cast<size_t>(grown));
    if (!moved) throw std::bad_alloc();
    data_ = static_cast<char*>(moved);
    capacity_ = grown;
}

void NarrowString::resize(int n) {
    if (n < 0) n = 0;
    grow(static_cast<int64_t>(n) + 1);
    length_ = n;
    data_[n] = '\0';
}

void NarrowString::append(const char* bytes, int count) {
    if (!bytes || count <= 0) return;
    int start = length_;
    // The source may lie inside this string's own buffer, which resize can move.
    if (data_ && bytes >= data_ && bytes < data_ + capacity_) {
        NarrowString copy(bytes, count);
        append(copy.data_, count);
        return;
    }
    resize(lengthAfter(start, count));
    std::memcpy(data_ + start, bytes, static_cast<size_t>(count));
}

void NarrowString::append(const char* text) {
    if (text) append(text, static_cast<int>(std::strlen(text)));
}

char* NarrowString::makeRoom(int pos, int count) {
    if (pos < 0) pos = 0;
    if (pos > length_) pos = length_;
    if (count < 0) count = 0;
    int oldLength = length_;
    resize(lengthAfter(oldLength, count));
    std::memmove(data_ + pos + count, data_ + pos, static_cast<size_t>(oldLength - pos));
    return data_ + pos;
}

void NarrowString::erase(int pos, int count) {
    if (pos < 0 || pos >= length_ || count <= 0) return;
    if (count < length_ - pos) {
        std::memmove(data_ + pos, data_ + pos + count, static_cast<size_t>(length_ - pos - count));
        resize(length_ - count);
    } else {
        resize(pos);
    }
}

char NarrowString::byteAt(int pos, char fallback) const {
    return pos >= 0 && pos < length_ ? data_[pos] : fallback;
}

NarrowString NarrowString::left(int n) const {
    if (n < 0) n = 0;
    return NarrowString(c_str(), n < length_ ? n : length_);
}

NarrowString NarrowString::right(int n) const {
    if (n < 0) n = 0;
    if (n > length_) n = length_;
    return NarrowString(c_str() + length_ - n, n);
}

NarrowString NarrowString::mid(int pos) const {
    if (pos < 0) pos = 0;
    if (pos >= length_) return NarrowString("", 0);
    return NarrowString(data_ + pos, length_ - pos);
}

NarrowString NarrowString::mid(int pos, int count) const {
    if (pos < 0) pos = 0;
    if (pos >= length_ || count <= 0) return NarrowString("", 0);
    if (count > length_ - pos) count = length_ - pos;
    return NarrowString(data_ + pos, count);
}

int NarrowString::compare(const char* text) const {
    if (!text) text = "";
    const char* mine = c_str();
    int otherLength = static_cast<int>(std::strlen(text));
    int end = length_ > otherLength ? length_ : otherLength;
    for (int i = 0; i < end; ++i) {
        int a = signedByte(mine, i, length_);
        int b = signedByte(text, i, otherLength);
        if (a != b) return a - b;
    }
    return 0;
}

int NarrowString::compareNoCase(const NarrowString& other) const {
    const char* mine = c_str();
    const char* theirs = other.c_str();
    int shorter = length_ < other.length_ ? length_ : other.length_;
    for (int i = 0; i < shorter; ++i) {
        unsigned char a = static_cast<unsigned char>(mine[i]);
        unsigned char b = static_cast<unsigned char>(theirs[i]);
        if (a != b && std::toupper(a) != std::toupper(b))
            return signedByte(mine, i, length_) - signedByte(theirs, i, other.length_);
    }
    if (length_ == other.length_) return 0;
    return signedByte(mine, shorter, length_) - signedByte(theirs, shorter, other.length_);
}

char* NarrowString::detach() {
    char* buffer = data_;
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return buffer;
}

NarrowString operator+(const NarrowString& a, const NarrowString& b) {
    NarrowString result(a);
    result.append(b);
    return result;
}

NarrowString operator+(const NarrowString& a, const char* b) {
    NarrowString result(a);
    result.append(b);
    return result;
}

NarrowString operator+(const char* a, const NarrowString& b) {
    NarrowString result(a);
    result.append(b);
    return result;
}

}  // namespace oru
