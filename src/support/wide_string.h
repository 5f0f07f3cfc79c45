// WideString: the launcher's owned, growable UTF-16 string.
#pragma once

namespace oru {

class WideString {
public:
    WideString() = default;
    // A count of -1 takes the text up to its 0 unit; a null text gives an empty string.
    WideString(const char16_t* units, int count = -1);
    WideString(const WideString& other);
    WideString& operator=(const WideString& other);
    ~WideString();

    const char16_t* c_str() const { return data_ ? data_ : u""; }
    char16_t* data() { return data_; }
    int length() const { return length_; }
    int capacity() const { return capacity_; }

    void resize(int n);
    void append(const char16_t* units, int count);
    char16_t* makeRoom(int pos, int count);

private:
    char16_t* data_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

}  // namespace oru
