// The runtime search and the class path, with the configuration's values they read looked
// up for them.
#include "launcher/launch_settings.h"

#include "jvm/class_path.h"
#include "launcher/config_load.h"

namespace oru {

namespace {

void addValue(void* list, const char* value) { static_cast<StringList*>(list)->add(value); }

StringList valuesAsWritten(const LauncherConfig& config, const char* key) {
    StringList values;
    config.forEachValue(key, addValue, &values);
    return values;
}

}  // namespace

// The braced lists look the values up in the order they are written.
NarrowString findConfiguredRuntimeLibrary(const LauncherConfig& config,
                                          const RuntimeSearch& search) {
    const RuntimeSettings settings{config.lookupValue("jre_order"),
                                   config.lookupValue("minjre"),
                                   config.lookupValue("jvmdll"),
                                   {executableDirectory(), startupDirectory()}};
    return findRuntimeLibrary(settings, search);
}

NarrowString buildConfiguredClassPath(const LauncherConfig& config) {
    const ClassPathSettings settings{config.executablePath(),
                                     valuesAsWritten(config, "classpath"),
                                     config.expandedValues("libs"),
                                     {executableDirectory(), startupDirectory()}};
    return buildClassPath(settings);
}

}  // namespace oru
