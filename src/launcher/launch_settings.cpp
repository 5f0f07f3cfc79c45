// The configuration's values that runtime discovery and the class path read, looked up
// for them.
#include "launcher/launch_settings.h"

#include "launcher/config_load.h"

namespace oru {

namespace {

void addValue(void* list, const char* value) { static_cast<StringList*>(list)->add(value); }

}  // namespace

LaunchFolders launchFolders() { return {executableDirectory(), startupDirectory()}; }

RuntimeSettings runtimeSettings(const LauncherConfig& config) {
    RuntimeSettings settings;
    settings.order = config.lookupValue("jre_order");
    settings.minimumVersion = config.lookupValue("minjre");
    settings.configuredLibrary = config.lookupValue("jvmdll");
    settings.folders = launchFolders();
    return settings;
}

ClassPathSettings classPathSettings(const LauncherConfig& config) {
    ClassPathSettings settings;
    settings.executablePath = config.executablePath();
    config.forEachValue("classpath", addValue, &settings.configured);
    settings.libraries = config.expandedValues("libs");
    settings.folders = launchFolders();
    return settings;
}

}  // namespace oru
