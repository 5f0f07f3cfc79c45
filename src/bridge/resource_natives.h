// The native of com.vostrand.oru.Handler: the bytes behind an "oru:" URL.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// loadResourceData: the whole entry that the URL text `resource` names, as a new byte
// array (a local reference), or null with nothing pending. The text must start with
// "oru:" in any case; "/" and "\" separate names alike. The name is tried as written,
// then, if that finds nothing, with its URL escapes decoded and "." and ".." segments
// folded.
jbyteArray loadResourceBytes(JNIEnv* env, jstring resource);

// The size and the MS-DOS modification time (date in the high half) of the entry that
// loadResourceBytes would read, without reading it: a new long array of two (a local
// reference), or null with nothing pending. The Java side turns the time into local
// time as java.util.zip does.
jlongArray loadResourceInfo(JNIEnv* env, jstring resource);

// `name` with "." and ".." segments after its last "!" folded away ("a\..\b" gives "b");
// unchanged when it has none.
NarrowString foldDotSegments(const NarrowString& name);

// Decodes the `length` bytes at `source` into `output` (room for `length` bytes):
// "+" becomes a space, "%%" one "%", and "%" with a hexadecimal number of at most two
// digits (after optional white space) the byte of that number, consuming the "%" and
// the two characters after it, but never past the end of the source. Any other "%" and
// every other byte are copied. Returns the number of bytes written (at most `length`);
// a decoded NUL is kept as a byte of the name.
int decodeUrlEscapes(const char* source, int length, char* output);

}  // namespace oru
