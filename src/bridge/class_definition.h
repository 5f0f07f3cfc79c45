// What a class defined from the archive carries besides its bytes: its code source and
// its package's manifest values.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// The protection domain every class from the archive shares: its code source is the
// executable's file: URL, without certificates. Made once, a global reference; null
// (nothing pending) when it cannot be made, and the class gets the default domain.
jobject archiveProtectionDomain(JNIEnv* env);

// Before the class `name` found under `composedName` is defined: when `loader` has not
// defined its package yet and the jar that holds it has a manifest, defines the package
// with the manifest's title, version, vendor and sealing attributes (the package's
// own section first, then the main section). Otherwise does nothing; nothing is left
// pending.
void definePackageFor(JNIEnv* env, jobject loader, jstring name, const NarrowString& composedName);

}  // namespace oru
