// The natives of com.vostrand.oru.KestrunClassLoader and the "oru:" resource URLs.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// findClass: the class `name` (dots between packages) defined by `loader` from the first
// archive entry that holds it. When no archive holds it (or it cannot be read), raises
// ClassNotFoundException as a class loader must, and returns null. An exception thrown
// by defineClass (a malformed class) stays pending. The class is a local reference.
jclass findArchivedClass(JNIEnv* env, jobject loader, jstring name);

// findResource: the "oru:" URL of the first entry named `name` ("/" separators), or null
// (nothing pending) when no archive holds it. A local reference.
jobject findArchivedResource(JNIEnv* env, jobject loader, jstring name);

// findResources: an enumeration of the "oru:" URLs of every entry named `name`, in the
// store's search order; empty when there is none; null only when the virtual machine
// cannot make the enumeration (the reason printed and cleared). A local reference.
jobject findArchivedResources(JNIEnv* env, jobject loader, jstring name);

// A new java.net.URL of the "oru:" URL text `text` (resourceUrlText's), served by the
// bridge's one shared com.vostrand.oru.Handler. Null when it cannot be made, with the
// reason printed and cleared. A local reference owned by the caller.
jobject makeResourceUrl(JNIEnv* env, const char* text);

}  // namespace oru
