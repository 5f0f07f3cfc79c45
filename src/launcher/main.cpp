// The launcher's entry: configuration, virtual-machine holder, launch and teardown.
#include "bridge/bridge_state.h"
#include "jvm/archive_cache.h"
#include "jvm/vm_host.h"
#include "launcher/config_load.h"
#include "launcher/failure_report.h"
#include "launcher/run_launch.h"
#include "platform/trace.h"
#include "splash/splash_window.h"

namespace {

int launch(int argc, char** argv) {
    using namespace oru;
    SplashWindow::startIfPresent("Please wait ...");
    LauncherConfig config = loadConfiguration();
    VmHost host;
    activeVmHost = &host;
    activeConfig = &config;
    useExecutablePath(config.executablePath());
    const int exitCode = runLaunch(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv);
    trace::event("phase", "releasing the virtual machine");
    host.releaseVm();
    finishArchiveCache();
    trace::event("phase", "done");
    activeConfig = nullptr;
    activeVmHost = nullptr;
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace oru;
    try {
        return launch(argc, argv);
    } catch (...) {
        // Only an allocation that failed gets here (the launcher's own failures are
        // results). By now the virtual machine, if any, has been released on the way
        // out; the launch ends as a failed start does, reported if memory still allows.
        // The configuration is gone by now; only a console executable still tells.
        activeConfig = nullptr;
        activeVmHost = nullptr;
        try {
            reportLaunchFailure(kVmCreationFailed, 0, 0, 0, 0);
        } catch (...) {
        }
        return exitCodeOf(nullptr, kVmCreationFailed, false);
    }
}
