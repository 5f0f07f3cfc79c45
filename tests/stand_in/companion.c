/* The companion library that the dependent stand-in runtime imports from. */
#include <jni.h>

JNIEXPORT int standInCompanion(void) { return 42; }
