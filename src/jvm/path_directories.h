// The directories that PATH names, as the runtime search may use them.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// PATH's elements in order, read when made. Windows takes an element in quotes, as it
// must when it holds the separator: the quotes go. An element that is empty or relative
// names a folder below the current directory, where anyone may have put a `java` and a
// library beside it: it is skipped, with a trace line naming the source `letter`.
class PathDirectories {
public:
    explicit PathDirectories(char letter);
    // The next fully qualified element into `directory`; false after the last.
    bool next(NarrowString& directory);

private:
    NarrowString path_;
    int at_ = 0;
    char letter_;
};

}  // namespace oru
