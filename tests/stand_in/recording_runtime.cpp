// A library standing in for a Windows Java runtime that records what the launcher hands
// it: whether each class path element and -Doru.app.path= open as the virtual machine
// would open them (ANSI code page paths), and every string made with NewString (main's
// arguments among them) in UTF-8. Its JNI table answers the launcher's calls with dummy
// classes and methods, so that the launch runs through to main. The report goes to the
// file named by ORU_STAND_IN_REPORT. x86_64 only: unset table slots are one function
// that returns 0, which only a caller-cleans calling convention tolerates.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::FILE* reportFile() {
    static std::FILE* out = [] {
        const char* path = std::getenv("ORU_STAND_IN_REPORT");
        return path ? std::fopen(path, "wb") : nullptr;
    }();
    return out;
}

void record(const char* what, const std::string& text) {
    if (std::FILE* out = reportFile()) {
        std::fprintf(out, "%s %s\n", what, text.c_str());
        std::fflush(out);
    }
}

void recordPath(const char* what, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    record(what, (file ? "opens " : "cannot-open ") + path);
}

std::string utf8(const jchar* units, jsize length) {
    std::string out;
    for (jsize i = 0; i < length; ++i) {
        unsigned long c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int dummy;
void* nothing() { return nullptr; }
jclass JNICALL findClass(JNIEnv*, const char*) { return reinterpret_cast<jclass>(&dummy); }
jmethodID JNICALL staticMethod(JNIEnv*, jclass, const char*, const char*) {
    return reinterpret_cast<jmethodID>(&dummy);
}
jobjectArray JNICALL newArray(JNIEnv*, jsize, jclass, jobject) {
    return reinterpret_cast<jobjectArray>(&dummy);
}
jstring JNICALL newString(JNIEnv*, const jchar* units, jsize length) {
    record("string", utf8(units, length));
    return reinterpret_cast<jstring>(&dummy);
}
void JNICALL callMain(JNIEnv*, jclass, jmethodID, va_list) { record("main", "called"); }

JNINativeInterface_ functions;
JNIInvokeInterface_ invocations;
JNIEnv_ environment;
JavaVM_ machine;

// main runs on a thread the launcher attaches.
jint JNICALL attach(JavaVM*, void** env, void*) {
    *env = &environment;
    return JNI_OK;
}

void fill(void* table, size_t size) {
    auto** slots = static_cast<void**>(table);
    for (size_t i = 0; i < size / sizeof(void*); ++i)
        slots[i] = reinterpret_cast<void*>(&nothing);
}

void recordOptions(const JavaVMInitArgs* init) {
    const char classPath[] = "-Djava.class.path=";
    const char appPath[] = "-Doru.app.path=";
    for (jint i = 0; i < init->nOptions; ++i) {
        const std::string option = init->options[i].optionString;
        if (option.rfind(appPath, 0) == 0) recordPath("app-path", option.substr(sizeof appPath - 1));
        if (option.rfind(classPath, 0) != 0) continue;
        std::string list = option.substr(sizeof classPath - 1);
        for (size_t start = 0, end; start <= list.size(); start = end + 1) {
            end = list.find(';', start);
            if (end == std::string::npos) end = list.size();
            if (end > start) recordPath("classpath", list.substr(start, end - start));
        }
    }
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    recordOptions(static_cast<const JavaVMInitArgs*>(args));
    fill(&functions, sizeof functions);
    fill(&invocations, sizeof invocations);
    functions.FindClass = &findClass;
    functions.GetStaticMethodID = &staticMethod;
    functions.NewObjectArray = &newArray;
    functions.NewString = &newString;
    functions.CallStaticVoidMethodV = &callMain;
    invocations.AttachCurrentThread = &attach;
    environment.functions = &functions;
    machine.functions = &invocations;
    *vm = &machine;
    *env = &environment;
    return JNI_OK;
}
