// How this platform writes paths: separators and the absolute-path rule.
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

struct PathStyle {
    char directorySeparator;  // appended to directories: '\\' or '/'
    char listSeparator;       // between class path elements: ';' or ':'
    bool hasDrives;           // "X:" prefixes and drive-relative roots
};

const PathStyle& pathStyle();

// True for a character that separates directories on this platform.
bool isDirectorySeparator(char c);

// True when the path is used as it stands, without a base directory.
bool isAbsolutePath(const char* path);

// True when the path names the same file whatever the current directory and drive: "/x"
// on Linux; "C:\x" or "\\server\share\x" on Windows, where "\x" and "C:x" depend on
// the current drive or its directory.
bool isFullyQualifiedPath(const char* path);

// The configuration file beside the executable, with `suffix` (".cfg", ".config")
// taking the place of the executable's extension.
NarrowString configurationFilePath(const NarrowString& executablePath, const char* suffix);

}  // namespace oru::platform
