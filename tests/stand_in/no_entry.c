/* A library standing in for a runtime that lacks the virtual machine's creation entry. */
#define _JNI_IMPLEMENTATION_
#include <jni.h>

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    (void)args;
    return JNI_ERR;
}
