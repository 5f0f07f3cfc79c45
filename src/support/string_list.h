// StringList: an ordered list of NUL-terminated strings kept back to back in one buffer.
#pragma once

#include <vector>

#include "support/narrow_string.h"

namespace oru {

class StringList {
public:
    // A null text adds an empty string.
    void add(const char* text);
    void add(const NarrowString& text) { add(text.c_str()); }
    int count() const { return static_cast<int>(offsets_.size()); }
    // Valid until the next add: adding may move the buffer.
    const char* at(int index) const {
        return buffer_.c_str() + offsets_[static_cast<size_t>(index)];
    }
    // Empties the list and frees its storage.
    void clear();

private:
    NarrowString buffer_;
    std::vector<int> offsets_;
};

}  // namespace oru
