// Packages of classes read from the archive: defined from their jar's manifest, sealing
// enforced as java's class loaders enforce it.
#pragma once

#include <jni.h>

#include "support/narrow_string.h"

namespace oru {

// Before `loader` defines the class `name` found under `composedName`: defines its
// package, unless `loader` has it already, with the title, version, vendor and sealing
// attributes of the manifest of the jar that holds it (the package's own section first,
// then the main section; none for a jar without a manifest that java reads), and checks
// the sealing as java's class loaders do. True when the class may be defined, nothing
// pending. False with java.lang.SecurityException pending, as java throws it from
// loadClass, when the class would join a package that another jar sealed, or its jar
// seals a package defined already without sealing.
bool definePackageFor(JNIEnv* env, jobject loader, jstring name, const NarrowString& composedName);

}  // namespace oru
