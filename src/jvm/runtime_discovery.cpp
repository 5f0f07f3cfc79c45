// Runtime discovery: no source is searched yet.
#include "launcher/launcher_config.h"

namespace oru {

NarrowString LauncherConfig::findRuntimeLibrary() const { return NarrowString("", 0); }

}  // namespace oru
