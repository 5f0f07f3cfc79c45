// Java names turned into archive queries, and Java exceptions the natives raise.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// A Java name as the store looks it up: in the ANSI code page, and in UTF-8 for the
// entries whose names the archive marks as UTF-8 (and, failing the code page, for the
// others, as the JDK reads every name) when that form differs.
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

// Makes the query for the `count` UTF-16 units at `units` and replaces every `separator`
// with "\"; nothing else changes (no case folding, no trimming). A name that the code
// page cannot hold exactly, or that holds a NUL (kept as a byte of the name), is looked
// up in UTF-8 alone. False when the name holds an unpaired surrogate, which no entry's
// name can hold.
bool makeArchiveQuery(const char16_t* units, int count, char separator, ArchiveQuery& query);

// As makeArchiveQuery, for the Java string `name`. False, with nothing pending, also when
// `name` is null or its characters cannot be had.
bool toArchiveQuery(JNIEnv* env, jstring name, char separator, ArchiveQuery& query);

// Raises java.lang.ClassNotFoundException naming `name` (the Java string as received).
void throwClassNotFound(JNIEnv* env, jstring name);

}  // namespace oru
