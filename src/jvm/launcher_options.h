// The virtual-machine options the launcher adds of its own, for the runtime it found.
#pragma once

#include "archive/manifest.h"
#include "jvm/runtime_release.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

namespace oru {

// The first feature version whose runtime knows module options (--add-opens and the like).
constexpr int kModulesSince = 9;

// The application jar's main attributes that `java -jar` turns into module options.
struct JarLaunchAttributes {
    NarrowString addOpens;            // "Add-Opens": module/package pairs, space-separated
    NarrowString addExports;          // "Add-Exports": the same
    NarrowString enableNativeAccess;  // "Enable-Native-Access": "ALL-UNNAMED" or absent
};

// The attributes of the main section of `manifest` (none without one, or when java
// refuses it).
JarLaunchAttributes jarLaunchAttributes(const JarManifest* manifest);

// The options to pass before the configured ones, as `java -jar` would for this jar on
// this runtime:
// - "--enable-native-access=ALL-UNNAMED" on Java 17 and later, so that the Java side's
//   load of the executable is neither warned about nor refused; not when one of
//   `userOptions` already says how native access goes (--enable-native-access=...,
//   --illegal-native-access=...), unless the jar's manifest grants it on Java 22 and
//   later, as `java -jar` does;
// - "--add-opens=M/P=ALL-UNNAMED" and "--add-exports=M/P=ALL-UNNAMED" for each pair of
//   the manifest on Java 9 and later, leaving out modules the runtime does not have
//   (`java -jar` ignores them silently, where the option would be warned about).
// An unknown feature version (0) adds nothing: Java 8 and older refuse unknown options.
StringList launcherVmOptions(const RuntimeRelease& release, const StringList& userOptions,
                             const JarLaunchAttributes& jar);

}  // namespace oru
