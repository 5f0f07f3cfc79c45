// NarrowString: the launcher's owned, growable byte string (ANSI code page text).
#pragma once

#include <cstddef>
#include <cstdint>

namespace oru {

class NarrowString {
public:
    NarrowString() = default;
    // A count of -1 takes the text up to its NUL; a null text gives an empty string.
    NarrowString(const char* text, int count = -1);
    NarrowString(const NarrowString& other);
    NarrowString(NarrowString&& other) noexcept;
    NarrowString& operator=(const NarrowString& other);
    NarrowString& operator=(NarrowString&& other) noexcept;
    NarrowString& operator=(const char* text);
    ~NarrowString();

    // Never null: an unsized string reads as "".
    const char* c_str() const { return data_ ? data_ : ""; }
    char* data() { return data_; }
    int length() const { return length_; }
    int capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }

    // Length becomes n with a NUL at n; new bytes are left unset. Growth that fails, or
    // that would pass an int's range, throws std::bad_alloc (as does every operation
    // that grows the string).
    void resize(int n);
    // Grows the buffer to hold at least n bytes (NUL included) without changing the text.
    void reserve(int n);
    void clear() {
        if (data_) resize(0);
    }
    void append(const char* bytes, int count);
    void append(const char* text);
    void append(const NarrowString& other) { append(other.data_, other.length_); }
    void append(char c) { append(&c, 1); }
    // Inserts `count` unset bytes at `pos` (at most the length); returns where they start.
    char* makeRoom(int pos, int count);
    void erase(int pos, int count);
    char byteAt(int pos, char fallback = 0) const;

    NarrowString left(int n) const;
    NarrowString right(int n) const;
    NarrowString mid(int pos) const;
    NarrowString mid(int pos, int count) const;

    // Signed difference of the first differing bytes, a byte past either end counting as 0.
    int compare(const char* text) const;
    // As compare, but bytes that are equal after toupper match; the difference is of the
    // stored bytes.
    int compareNoCase(const NarrowString& other) const;

    // Hands the buffer (allocated with realloc, to be released with free) to the caller.
    char* detach();

    NarrowString& operator+=(const char* text) {
        append(text);
        return *this;
    }
    NarrowString& operator+=(const NarrowString& other) {
        append(other);
        return *this;
    }
    NarrowString& operator+=(char c) {
        append(c);
        return *this;
    }

private:
    void release();
    // Grows the buffer to hold at least n bytes; throws std::bad_alloc when it cannot.
    void grow(int64_t n);

    char* data_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

NarrowString operator+(const NarrowString& a, const NarrowString& b);
NarrowString operator+(const NarrowString& a, const char* b);
NarrowString operator+(const char* a, const NarrowString& b);

inline bool operator==(const NarrowString& a, const char* b) { return a.compare(b) == 0; }
inline bool operator!=(const NarrowString& a, const char* b) { return a.compare(b) != 0; }

}  // namespace oru
