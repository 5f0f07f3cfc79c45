// The native of com.vostrand.oru.Handler: the bytes behind an "oru:" URL.
#pragma once

#include <jni.h>

namespace oru {

// loadResourceData: the whole entry that the URL text `resource` names, as a new byte
// array (a local reference), or null with nothing pending. The text must start with
// "oru:" in any case; "/" and "\" separate names alike. The names it may stand for are
// tried in the order decodeUrlText describes.
jbyteArray loadResourceBytes(JNIEnv* env, jstring resource);

// The size and the MS-DOS modification time (date in the high half) of the entry that
// loadResourceBytes would read, without reading it: a new long array of two (a local
// reference), or null with nothing pending. The Java side turns the time into local
// time as java.util.zip does.
jlongArray loadResourceInfo(JNIEnv* env, jstring resource);

// The streaming connection's natives. openResourceStream: a handle (never 0) on a new
// stream of the entry loadResourceBytes would read, or 0 with nothing pending; the caller
// owns it and gives it back to closeResourceStream exactly once. readResourceStream: up
// to `length` bytes of it into `buffer` from `offset`, how many, -1 at the end of the
// entry; an IOException pending when its data is damaged (the checksum checked after the
// last byte); 0 when `length` is 0. The caller checks the range against `buffer` (an
// IndexOutOfBoundsException from SetByteArrayRegion otherwise). One thread at a time per
// handle; handles are independent.
jlong openResourceStream(JNIEnv* env, jstring resource);
jint readResourceStream(JNIEnv* env, jlong handle, jbyteArray buffer, jint offset,
                        jint length) noexcept;
void closeResourceStream(jlong handle) noexcept;

}  // namespace oru
