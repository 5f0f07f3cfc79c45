// runLaunch: turns the configuration into a running application, or one message box.
#include "launcher/run_launch.h"

#include "bridge/bridge_state.h"
#include "bridge/native_methods.h"
#include "jvm/archive_cache.h"
#include "jvm/launcher_options.h"
#include "jvm/vm_host.h"
#include "launcher/config_load.h"
#include "launcher/config_text.h"
#include "launcher/failure_report.h"
#include "launcher/launch_settings.h"
#include "launcher/version_check.h"
#include "launcher/working_directory.h"
#include "platform/dialog.h"
#include "platform/thread.h"
#include "platform/trace.h"
#include "splash/splash_window.h"

namespace oru {

LauncherConfig* activeConfig = nullptr;
VmHost* activeVmHost = nullptr;

void collectVmOptions(const LauncherConfig& config, VmHost& host, const RuntimeRelease& release,
                      const NarrowString& library) {
    StringList options = config.expandedValues("option");
    const JarLaunchAttributes jar = release.feature >= kModulesSince
                                        ? jarLaunchAttributes(applicationManifest(release.feature))
                                        : JarLaunchAttributes{};
    const StringList own = launcherVmOptions(release, options, jar);
    for (int i = 0; i < own.count(); ++i) host.addOption(own.at(i));
    if (config.lookupValue("aotcache").compareNoCase(NarrowString("true")) == 0) {
        if (namesArchiveOption(options)) {
            trace::event("cache", "no archive of the launcher's: the options name one");
        } else {
            prepareArchiveCache(host, config.executablePath(), library, release.feature);
        }
    }
    for (int i = 0; i < options.count(); ++i) host.addOption(options.at(i));
    StringList properties = config.expandedValues("property");
    for (int i = 0; i < properties.count(); ++i)
        host.addOption((NarrowString("-D") + properties.at(i)).c_str());
    host.addOption(("-Djava.class.path=" + buildConfiguredClassPath(config)).c_str());
    host.addOption(("-Doru.app.path=" + config.executablePath()).c_str());
    host.addOption(("-Dapplication.home=" + executableDirectory()).c_str());
}

namespace {

// What the thread that runs main needs, and what it leaves for the first thread.
struct MainThreadWork {
    const LauncherConfig& config;
    VmHost& host;
    int argc;
    char** argv;
    int* versions;
    LaunchResult result;
    bool mainCalled;
    platform::Event done;
};

// The launch after the virtual machine exists: "minjre", the handler package and main.
LaunchResult runApplication(MainThreadWork& work) {
    const LauncherConfig& config = work.config;
    VmHost& host = work.host;
    int* versions = work.versions;
    NarrowString minimum = config.lookupValue("minjre");
    if (!minimum.empty()) {
        NarrowString version;
        if (!host.queryVmVersion(version)) return kVersionUnreadable;
        LaunchResult result = checkVersion(version.c_str(), minimum.c_str(), versions);
        trace::event("launch", "minjre %d.%d, running %d.%d: %s", versions[2], versions[3],
                     versions[0], versions[1], result == kLaunchSucceeded ? "passes" : "too low");
        if (result != kLaunchSucceeded) return result;
    }

    host.registerHandlerPackage();
    trace::event("phase", "running the application");
    work.mainCalled = true;
    return host.runMain(config.lookupValue("mainclass", true), work.argc, work.argv);
}

void runMainThread(void* argument) {
    MainThreadWork& work = *static_cast<MainThreadWork*>(argument);
    work.result = kVmCreationFailed;
    if (work.host.attachThread("main")) {
        work.result = runApplication(work);
        work.host.detachThread();
    }
    work.done.set();
}

LaunchResult startApplication(const LauncherConfig& config, VmHost& host, int argc, char** argv,
                              int versions[4]) {
    trace::event("phase", "finding the runtime");
    const NarrowString library = findConfiguredRuntimeLibrary(config);
    collectVmOptions(config, host, library.empty() ? RuntimeRelease{} : readRuntimeRelease(library),
                     library);
    trace::event("phase", "creating the virtual machine");
    const bool checkBeside = platform::threadsBesideRuntimeStart();
    if (checkBeside) checkApplicationJarAside();
    LaunchResult result = host.createVm(library);
    if (result != kLaunchSucceeded) return result;
    // The natives are bound at once, before the launcher's loader can be asked for
    // anything, whether or not the Java side's own load of the executable succeeds.
    registerBridgeNatives(host.env());
    if (!checkBeside) checkApplicationJarAside();
    quietArchiveAssembly(host.env());
    if (config.lookupValue("systemloader").compareNoCase(NarrowString("true")) == 0)
        host.installLauncherSystemLoader();
    else
        trace::event("main", "system class loader: the runtime's own (no \"systemloader true\")");

    // main runs on a thread of its own, as java runs it, so that the configured stack
    // size (which the first thread's stack does not follow) reaches it.
    const size_t stackSize = host.mainThreadStackSize();
    MainThreadWork work{config, host, argc, argv, versions, kVmCreationFailed, false, {}};
    host.detachThread();
    if (!work.done.valid() || !platform::startThread(runMainThread, &work, stackSize)) {
        runMainThread(&work);
    } else {
        while (!work.done.wait(60000)) {
        }
    }
    if (work.mainCalled) SplashWindow::autoCloseCurrentUnlessRequested(750);
    return work.result;
}

}  // namespace

int exitCodeOf(const LauncherConfig* config, LaunchResult result, bool mainThrew) {
    if (result == kLaunchSucceeded && !mainThrew) return 0;
    if (platform::isConsoleProgram()) return 1;
    const NarrowString console = config ? config->lookupValue("console", true) : "";
    return !console.empty() && console != "0" ? 1 : 0;
}

int runLaunch(int argc, char** argv) {
    const LauncherConfig& config = *activeConfig;
    VmHost& host = *activeVmHost;

    trace::event("phase", "configuration loaded");
    NarrowString forced = expandEnvironment(config.lookupValue("forcecwd").c_str());
    if (!forced.empty()) applyForcedWorkingDirectory(forced.c_str());

    int versions[4] = {0, 0, 0, 0};
    LaunchResult result = kPathUnrepresentable;
    if (!config.executablePathUnrepresentable()) {
        result = startApplication(config, host, argc, argv, versions);
    }
    trace::event("launch", "result %d", static_cast<int>(result));
    if (result != kLaunchSucceeded)
        reportLaunchFailure(result, versions[0], versions[1], versions[2], versions[3]);
    return exitCodeOf(&config, result, host.mainThrew());
}

}  // namespace oru
