// VmHost: until a runtime can be loaded, every launch ends at the library step.
#include "jvm/vm_host.h"

namespace oru {

VmHost::~VmHost() { releaseVm(); }

LaunchResult VmHost::createVm(const NarrowString&) { return kRuntimeNotLoadable; }

bool VmHost::queryVmVersion(NarrowString&) { return false; }

void VmHost::registerHandlerPackage() {}

LaunchResult VmHost::runMain(const NarrowString&, int, char**) { return kMainClassNotFound; }

void VmHost::releaseVm() {}

}  // namespace oru
