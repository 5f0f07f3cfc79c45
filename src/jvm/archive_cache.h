// The class-data archive the launcher keeps per executable and runtime in the user's cache.
#pragma once

#include "support/narrow_string.h"
#include "support/string_list.h"

struct JNIEnv_;

namespace oru {
class VmHost;
}

namespace oru {

// The first feature versions of each kind of archive that writes itself.
constexpr int kDynamicArchiveSince = 13;  // -XX:ArchiveClassesAtExit
constexpr int kAutoArchiveSince = 19;     // -XX:+AutoCreateSharedArchive
constexpr int kAotCacheSince = 25;        // -XX:AOTCacheOutput

// Appends to `options` the options that make a runtime of feature version `feature` map
// the archive `file` when it `exists`, or else write it at exit (`file` is then the name
// to write, renamed into place afterwards), with the runtime's own lines about archives
// quieted so that the output stays as without an archive. None before Java 13.
void archiveCacheOptions(int feature, bool exists, const char* file, StringList& options);

// Whether one of `options` already says how class-data archives go (the user's own win).
bool namesArchiveOption(const StringList& options);

// Adds to `host` the options for the archive of the executable at `executablePath` run
// by the runtime library at `libraryPath`, named from both files' paths, sizes and
// modification times and the runtime's feature version, in <cache>/oru/<executable's name
// without extension>/. None, with one trace line, when the runtime is too old or the
// folder cannot be made or written. A run that will write the archive gets the exit hook
// that finishes it when System.exit ends the process inside the virtual machine.
void prepareArchiveCache(VmHost& host, const NarrowString& executablePath,
                         const NarrowString& libraryPath, int feature);

// On a run that assembles an ahead-of-time cache at exit, arranges that the output of
// the assembly (which the runtime prints, and the child virtual machine it starts) goes
// nowhere: a shutdown hook that runs after every other one silences standard output and
// error until finishArchiveCache.
void quietArchiveAssembly(JNIEnv_* env);

// Puts the archive this run wrote in its place, or removes what it left when it wrote
// none. Does nothing the second time, or when no archive was being written.
void finishArchiveCache();

}  // namespace oru
