// The main method that java would start a main class with on the running runtime.
#pragma once

#include <jni.h>

namespace oru {

struct MainMethod {
    enum Kind {
        kNone,      // java would refuse the class
        kStatic,    // a static main
        kInstance,  // main of a new instance, made with the no-argument constructor
        kJavaFx,    // a javafx.application.Application started by JavaFX's own launcher
    };
    Kind kind = kNone;
    // Whether main takes the String[] of arguments (always so for kJavaFx).
    bool takesArguments = true;
    // kJavaFx: the runtime's com.sun.javafx.application.LauncherImpl, a local reference
    // the caller deletes, and its launchApplication(String, String, String[]).
    jclass javaFxLauncher = nullptr;
    jmethodID javaFxLaunch = nullptr;
};

// "static main(String[])", "instance main()", "JavaFX's launcher", ...
const char* describeMainMethod(const MainMethod& main);

// Picks the main method of `mainClass` as the running runtime's java launcher does.
// Runtimes from Java 21 on are asked through their own finder (which sees instance mains
// and mains without parameters, from Java 25 on or with preview features enabled), and
// the choice is held to the rules java checks it against; older ones get static
// main(String[]), which the caller's lookup may still not find. A JavaFX application goes
// to JavaFX's launcher whenever the javafx.graphics module is in the boot layer. Nothing
// is called yet and no exception is left pending; what made a refusal is printed where it
// is more than "no main".
MainMethod findMainMethod(JNIEnv* env, jclass mainClass);

}  // namespace oru
