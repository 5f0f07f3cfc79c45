// The launch sequence: options, runtime, virtual machine, version check and main class.
#pragma once

#include "jvm/launch_result.h"
#include "jvm/runtime_release.h"

namespace oru {

class LauncherConfig;
class VmHost;

// The running launch's configuration and virtual-machine holder; null outside main's run.
// Written only while no virtual machine exists, so readers take no lock.
extern LauncherConfig* activeConfig;
extern VmHost* activeVmHost;

// Runs the launch of `argc` application arguments with activeConfig and activeVmHost,
// and reports its failure, if any, in a message box. Returns the process's exit code.
int runLaunch(int argc, char** argv);

// The exit code of a launch that ended with `result`, the application's main having
// thrown or not: always 0, except in a console program (every Linux launcher, a Windows
// console executable, or a "console" line in the archive comment), whose codes follow
// java's: 1 when the launch failed or main threw. (System.exit ends the process with its
// own code before this.)
int exitCodeOf(const LauncherConfig* config, LaunchResult result, bool mainThrew);

// Adds the virtual-machine options in their fixed order: the launcher's own for the
// runtime of `release` (native access, the application jar's module attributes; none
// when its version is unknown), configured options, properties, class path, executable
// path, application home. With "aotcache true" and no archive option of the user's, the
// options of the class-data archive kept for the executable and `library` come before
// the configured ones.
void collectVmOptions(const LauncherConfig& config, VmHost& host,
                      const RuntimeRelease& release = {}, const NarrowString& library = {});

}  // namespace oru
