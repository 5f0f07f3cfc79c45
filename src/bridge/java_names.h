// Java names turned into archive queries, and Java exceptions the natives raise.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// Converts the Java string `name` to the ANSI code page and replaces every `separator`
// with "\"; nothing else changes (no case folding, no trimming). The query ends at the
// first NUL. False, with nothing pending, when `name` is null or its characters cannot
// be had.
bool toArchiveQuery(JNIEnv* env, jstring name, char separator, NarrowString& query);

// Raises java.lang.ClassNotFoundException naming `name` (the Java string as received).
void throwClassNotFound(JNIEnv* env, jstring name);

}  // namespace oru
