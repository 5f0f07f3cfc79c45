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

}  // namespace oru
