// Scanning the configuration text: lines, key prefixes and values.
#include "launcher/config_text.h"

#include <cstring>

#include "platform/trace.h"
#include "support/config_key.h"

namespace oru {

namespace {

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// Moves past one line break: CR LF and LF CR count as one, as do a lone CR or LF.
int skipLineBreak(const char* text, int pos, int end) {
    if (pos >= end || !isLineBreak(text[pos])) return pos;
    char first = text[pos++];
    if (pos < end && isLineBreak(text[pos]) && text[pos] != first) ++pos;
    return pos;
}

int skipSpaces(const char* text, int pos, int end) {
    while (pos < end && text[pos] == ' ') ++pos;
    return pos;
}

// The value of a line that starts with `key` (ASCII case ignored), or false.
bool matchLine(const char* line, int length, const char* key, NarrowString& value) {
    size_t keyEnd = 0;
    if (!lineHasKey(line, static_cast<size_t>(length), key, std::strlen(key), keyEnd)) return false;
    int pos = skipSpaces(line, static_cast<int>(keyEnd), length);
    if (pos < length && line[pos] == '=') pos = skipSpaces(line, pos + 1, length);
    value = NarrowString(line + pos, length - pos);
    return true;
}

// Calls `found` for each value of `key`; stops early when it returns false.
template <typename Found>
void scanLines(const NarrowString& text, int start, const char* key, Found found) {
    const char* bytes = text.c_str();
    // A NUL byte ends the text for every scan that reaches it.
    const void* nul = std::memchr(bytes + start, 0, static_cast<size_t>(text.length() - start));
    int end = nul ? static_cast<int>(static_cast<const char*>(nul) - bytes) : text.length();
    for (int pos = start; pos < end;) {
        int lineEnd = pos;
        while (lineEnd < end && !isLineBreak(bytes[lineEnd])) ++lineEnd;
        NarrowString value;
        if (matchLine(bytes + pos, lineEnd - pos, key, value) && !found(value)) return;
        pos = skipLineBreak(bytes, lineEnd, end);
    }
}

}  // namespace

NarrowString LauncherConfig::lookupValue(const char* key, bool commentOnly) const {
    NarrowString result("", 0);
    scanLines(text_, commentOnly ? commentStart_ : 0, key, [&](const NarrowString& value) {
        result = value;
        return false;
    });
    if (trace::enabled()) {
        const char* scope = commentOnly ? " (archive comment only)" : "";
        if (result.empty())
            trace::event("config", "%s: not set%s", key, scope);
        else
            trace::event("config", "%s = \"%s\"%s", key, result.c_str(), scope);
    }
    return result;
}

void LauncherConfig::forEachValue(const char* key, ValueCallback callback, void* context,
                                  bool commentOnly) const {
    scanLines(text_, commentOnly ? commentStart_ : 0, key, [&](const NarrowString& value) {
        trace::event("config", "%s += \"%s\"", key, value.c_str());
        callback(context, value.c_str());
        return true;
    });
}

StringList LauncherConfig::expandedValues(const char* key) const {
    StringList values;
    forEachValue(
        key,
        [](void* context, const char* value) {
            static_cast<StringList*>(context)->add(expandEnvironment(value));
        },
        &values);
    return values;
}

LauncherConfig::LauncherConfig(const NarrowString& executablePath, const NarrowString& fileText,
                               const NarrowString& comment, bool pathUnrepresentable)
    : text_(fileText), executablePath_(executablePath), unrepresentable_(pathUnrepresentable) {
    if (!text_.empty()) text_.append("\r\n", 2);
    commentStart_ = text_.length();
    text_.append(comment);
}

}  // namespace oru
