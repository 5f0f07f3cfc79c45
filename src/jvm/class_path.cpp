// Class path assembly: the executable itself comes first.
#include "launcher/launcher_config.h"

namespace oru {

NarrowString LauncherConfig::buildClassPath() const { return executablePath_; }

}  // namespace oru
