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

// Appends the UTF-8 form of the Java string `text` to `out`. False, with nothing pending,
// when `text` is null, its characters cannot be had, or it holds an unpaired surrogate,
// which no entry's name can hold.
bool appendJavaUtf8(JNIEnv* env, jstring text, NarrowString& out);

// Makes the query for the name `utf8` (UTF-8, a NUL kept as a byte of the name) and
// replaces every `separator` with "\"; nothing else changes (no case folding, no
// trimming). A name that the code page cannot hold exactly is looked up in UTF-8 alone.
// False when `utf8` is not UTF-8.
bool makeArchiveQuery(const NarrowString& utf8, char separator, ArchiveQuery& query);

// As makeArchiveQuery, for the Java string `name`; false as appendJavaUtf8 is.
bool toArchiveQuery(JNIEnv* env, jstring name, char separator, ArchiveQuery& query);

// Raises a new `className` ("java/lang/ClassNotFoundException") with `message`: the
// exception is pending afterwards, or another one that stopped its making.
void throwJavaException(JNIEnv* env, const char* className, jstring message);

}  // namespace oru
