// What a class defined from the archive carries besides its bytes: its code source.
#pragma once

#include <jni.h>

namespace oru {

// The protection domain every class from the archive shares: its code source is the
// executable's file: URL, without certificates. Made once, a global reference; null
// (nothing pending) when it cannot be made, and the class gets the default domain.
jobject archiveProtectionDomain(JNIEnv* env);

// That code source's location, the executable's file: URL: a global reference, or null
// when the domain cannot be made.
jobject archiveLocation(JNIEnv* env);

}  // namespace oru
