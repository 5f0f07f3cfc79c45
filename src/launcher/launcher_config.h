// LauncherConfig: the configuration text (file beside the executable, then archive
// comment) and the lookups every part of the launcher uses.
#pragma once

#include <cstdint>

#include "platform/environment_expansion.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

namespace oru {

class LauncherConfig {
public:
    using ValueCallback = void (*)(void* context, const char* value);

    // Records the executable's path and the start-up directory, then reads the
    // configuration file and the archive comment. Never fails: missing sources are empty.
    LauncherConfig();
    // A configuration made of given parts, touching nothing on disk.
    LauncherConfig(const NarrowString& executablePath, const NarrowString& fileText,
                   const NarrowString& comment);

    // The value of the first line that belongs to `key`, or "" when none does.
    NarrowString lookupValue(const char* key, bool commentOnly = false) const;
    // Calls `callback` for every line that belongs to `key`, in text order.
    void forEachValue(const char* key, ValueCallback callback, void* context,
                      bool commentOnly = false) const;
    // Every value of `key` with its environment references expanded, in text order.
    StringList expandedValues(const char* key) const;

    NarrowString executablePath() const { return executablePath_; }
    // Whether the executable's path exists but has no form in the ANSI code page that
    // the virtual machine's options could carry (the launch cannot go on).
    bool executablePathUnrepresentable() const { return unrepresentable_; }
    const NarrowString& text() const { return text_; }
    int commentStart() const { return commentStart_; }

    // The runtime's virtual-machine library, or "" when no source has one.
    NarrowString findRuntimeLibrary() const;
    // The class path, the executable first.
    NarrowString buildClassPath() const;

private:
    void appendParts(const NarrowString& fileText, const NarrowString& comment);

    NarrowString text_;
    int commentStart_ = 0;
    NarrowString executablePath_;
    bool unrepresentable_ = false;
};

// The executable's directory with a trailing separator; "" before loading.
NarrowString executableDirectory();
// The current directory at loading, with a trailing separator; "" before loading.
NarrowString startupDirectory();
// Records both directories; done by loading, and by tests that need other ones.
void recordDirectories(const NarrowString& executablePath, const NarrowString& currentDirectory);

// The configuration file beside the executable: the first of its ".cfg" and ".config"
// names that exists and opens as a regular file of at most 1 MiB; "" when neither does.
NarrowString readConfigurationFile(const NarrowString& executablePath);

// The bytes after the last end-of-central-directory signature within the last 2,070 of
// the `size` bytes at `bytes` (plus `padding`, zero bytes a signing tool put at their end)
// that has a whole 22-byte record after it; "" when none has.
NarrowString findArchiveComment(const unsigned char* bytes, uint64_t size, uint32_t padding = 0);
// findArchiveComment over the archive region of the file at `path` (a signed
// executable's certificate table left out); "" when it cannot be read.
NarrowString readArchiveComment(const char* path);

}  // namespace oru
