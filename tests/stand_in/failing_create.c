/* A library standing in for a runtime whose virtual machine refuses to start. It keeps
   what it was called with, for the tests to read back through standInLastCall. */
#define _JNI_IMPLEMENTATION_
#include <jni.h>
#include <string.h>

#include "stand_in.h"

static struct StandInCall lastCall;

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    const JavaVMInitArgs* init = (const JavaVMInitArgs*)args;
    memset(&lastCall, 0, sizeof lastCall);
    lastCall.called = 1;
    lastCall.version = init->version;
    lastCall.ignoreUnrecognized = init->ignoreUnrecognized;
    lastCall.optionCount = init->nOptions;
    for (jint i = 0; i < init->nOptions && i < STAND_IN_MAX_OPTIONS; ++i) {
        strncpy(lastCall.options[i], init->options[i].optionString, STAND_IN_OPTION_SIZE - 1);
        lastCall.extraInfoSet |= init->options[i].extraInfo != NULL;
    }
    /* A runtime may leave anything behind in these on failure. */
    *vm = NULL;
    *env = NULL;
    return JNI_ERR;
}

JNIEXPORT const struct StandInCall* standInLastCall(void) { return &lastCall; }
