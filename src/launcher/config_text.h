// LauncherConfig: the configuration text (file beside the executable, then archive
// comment) and the lookups every part of the launcher uses.
#pragma once

#include "platform/environment_expansion.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

namespace oru {

class LauncherConfig {
public:
    using ValueCallback = void (*)(void* context, const char* value);

    // A configuration made of given parts, touching nothing on disk; `pathUnrepresentable`
    // as executablePathUnrepresentable tells.
    LauncherConfig(const NarrowString& executablePath, const NarrowString& fileText,
                   const NarrowString& comment, bool pathUnrepresentable = false);

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

private:
    NarrowString text_;
    int commentStart_ = 0;
    NarrowString executablePath_;
    bool unrepresentable_ = false;
};

}  // namespace oru
