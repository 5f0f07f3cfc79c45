// Directory searches: existence tests with wildcards and directory listings.
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

// True when a directory search for `pattern` finds an entry (a file or a directory);
// wildcard characters act as patterns.
bool pathExists(const char* pattern);

struct DirectoryEntry {
    NarrowString name;
    bool isDirectory = false;
};

// Lists every entry of one directory, "." and ".." included, in the file system's order.
class DirectoryListing {
public:
    DirectoryListing() = default;
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;
    ~DirectoryListing() { close(); }

    // `directory` ends with a directory separator.
    bool open(const char* directory);
    bool next(DirectoryEntry& entry);
    void close();

private:
    void* handle_ = nullptr;
    NarrowString directory_;
    bool pending_ = false;  // the first entry found by open, not yet returned
    DirectoryEntry first_;
};

}  // namespace oru::platform
