// Java names turned into archive queries, and Java exceptions the natives raise.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// A Java name as the store looks it up: in the ANSI code page, and in UTF-8 for the
// entries whose names the archive marks as UTF-8 when that form differs (a name with
// non-ASCII characters, outside a UTF-8 locale).
struct ArchiveQuery {
    NarrowString ansi;
    NarrowString utf8;
    bool hasUtf8 = false;

    const NarrowString* utf8Form() const { return hasUtf8 ? &utf8 : nullptr; }
    void append(const char* text) {
        ansi += text;
        if (hasUtf8) utf8 += text;
    }
};

// Converts the Java string `name` into both forms and replaces every `separator` with
// "\"; nothing else changes (no case folding, no trimming). Each form ends at its first
// NUL. False, with nothing pending, when `name` is null or its characters cannot be had.
bool toArchiveQuery(JNIEnv* env, jstring name, char separator, ArchiveQuery& query);

// Appends the UTF-8 form of `count` UTF-16 units (an unpaired surrogate as "?").
void appendUtf8(NarrowString& out, const char16_t* units, int count);

// Raises a new `className` ("java/lang/ClassNotFoundException") with `message`: the
// exception is pending afterwards, or another one that stopped its making.
void throwJavaException(JNIEnv* env, const char* className, jstring message);

}  // namespace oru
