// The runtimes that installers registered and PATH offers: the `o`, `v` and `p` sources.
#pragma once

#include "jvm/runtime_discovery.h"

namespace oru {

// Collects the runtimes of one or more of these sources and keeps the one of the
// highest version that satisfies the minimum.
class InstalledRuntimes {
public:
    // `minimum` is the "minjre" text ("" for none).
    InstalledRuntimes(const RuntimeSearch& search, const char* minimum);

    // Whether `letter` names one of these sources: `o` Oracle's JavaSoft keys, `v` the
    // keys of other vendors' installers, `p` the `java` command on PATH.
    static bool isSource(char letter);
    // Adds the usable runtimes of the source `letter`.
    void collect(char letter);
    // The library of the best runtime collected so far; "" when none.
    const NarrowString& best() const { return best_; }

private:
    void collectFromPath();
    void offer(const char* source, const NarrowString& home, const char* version);

    const RuntimeSearch& search_;
    int minimum_[4];
    int bestVersion_[4] = {};
    NarrowString best_;
};

// Up to four numbers of a version text, from its first digit on, any other characters
// separating them; the old "1.x" numbering (1.8.0_392) read as x (8.0.392). Missing
// numbers are 0. A number above 999,999,999 makes it no version: false, all four 0.
bool parseRuntimeVersion(const char* text, int out[4]);

}  // namespace oru
