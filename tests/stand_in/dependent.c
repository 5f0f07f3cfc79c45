/* A stand-in runtime library that needs a companion library to load, as a runtime's
   jvm.dll needs the libraries of the directory above it. */
#define _JNI_IMPLEMENTATION_
#include <jni.h>

int standInCompanion(void);

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    (void)args;
    *vm = NULL;
    *env = NULL;
    return standInCompanion() == 42 ? JNI_ERR : JNI_EVERSION;
}
