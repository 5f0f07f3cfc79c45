// StringList: appending strings and their offsets.
#include "support/string_list.h"

#include <cstring>

namespace oru {

void StringList::add(const char* text) {
    if (!text) text = "";
    offsets_.push_back(buffer_.length());
    // Each string keeps its own terminator inside the shared buffer.
    buffer_.append(text, static_cast<int>(std::strlen(text)) + 1);
}

void StringList::clear() {
    buffer_ = NarrowString();
    std::vector<int>().swap(offsets_);
}

}  // namespace oru
