// A library standing in for a Windows Java runtime that records what the launcher hands
// it: whether each class path element and -Doru.app.path= open as the virtual machine
// would open them (ANSI code page paths), and every string made with NewString (main's
// arguments among them) in UTF-8. Its JNI table answers the launcher's calls with dummy
// classes and methods, so that the launch runs through to main. "main" then looks up a
// class and resources with non-ASCII names (or in a jar named so) through the
// executable's natives, as the application's own lookups would, and records what they
// found and the ANSI form of 中. The report goes to the file named by
// ORU_STAND_IN_REPORT. x86_64 only: unset table slots are one function that returns 0,
// which only a caller-cleans calling convention tolerates.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/library.h"
#include "platform/text_codec.h"

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

std::string utf8(const std::u16string& text) {
    return utf8(reinterpret_cast<const jchar*>(text.data()), static_cast<jsize>(text.size()));
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

JNINativeInterface_ functions;
JNIInvokeInterface_ invocations;
JNIEnv_ environment;
JavaVM_ machine;

// main runs on a thread the launcher attaches.
jint JNICALL attach(JavaVM*, void** env, void*) {
    *env = &environment;
    return JNI_OK;
}

// While main runs, references are Things that live until the process ends: strings
// (text), byte arrays (bytes), URLs (their text) and method IDs (name and descriptor).
struct Thing {
    std::u16string text;
    std::vector<jbyte> bytes;
    std::string method;
};
Thing& thing(const void* reference) { return *static_cast<Thing*>(const_cast<void*>(reference)); }
jobject make(std::u16string text = {}) {
    return reinterpret_cast<jobject>(new Thing{text, {}, {}});
}
std::string applicationPath;

std::string hex(const void* bytes, size_t size) {
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<const unsigned char*>(bytes)[i]);
        out += pair;
    }
    return out;
}

jclass JNICALL objectClass(JNIEnv*, jobject) { return static_cast<jclass>(make()); }
jmethodID JNICALL method(JNIEnv*, jclass, const char* name, const char* descriptor) {
    return reinterpret_cast<jmethodID>(new Thing{{}, {}, std::string(name) + descriptor});
}
jstring JNICALL makeString(JNIEnv*, const jchar* units, jsize length) {
    return static_cast<jstring>(
        make(std::u16string(reinterpret_cast<const char16_t*>(units), length)));
}
jstring JNICALL makeStringUtf(JNIEnv*, const char* bytes) {  // ASCII is all it is given
    return static_cast<jstring>(make(std::u16string(bytes, bytes + std::strlen(bytes))));
}
jsize JNICALL stringLength(JNIEnv*, jstring text) {
    return static_cast<jsize>(thing(text).text.size());
}
const jchar* JNICALL stringChars(JNIEnv*, jstring text, jboolean*) {
    return reinterpret_cast<const jchar*>(thing(text).text.c_str());
}
jbyteArray JNICALL newByteArray(JNIEnv*, jsize length) {
    jobject array = make();
    thing(array).bytes.resize(length);
    return static_cast<jbyteArray>(array);
}
jbyte* JNICALL byteElements(JNIEnv*, jbyteArray array, jboolean*) {
    return thing(array).bytes.data();
}
jsize JNICALL arrayLength(JNIEnv*, jarray array) {
    return static_cast<jsize>(thing(array).bytes.size());
}
jobject JNICALL globalReference(JNIEnv*, jobject reference) { return reference; }
// The URL constructor keeps its text; other objects are blank.
jobject JNICALL newObject(JNIEnv*, jclass, jmethodID constructor, va_list arguments) {
    if (thing(constructor).method.find("Ljava/net/URLStreamHandler;") == std::string::npos)
        return make();
    static_cast<void>(va_arg(arguments, jobject));  // the context URL
    return make(thing(va_arg(arguments, jstring)).text);
}
// defineClass records the class it is asked to define; other calls answer null.
jobject JNICALL callObject(JNIEnv*, jobject, jmethodID called, va_list arguments) {
    if (thing(called).method.rfind("defineClass(", 0) != 0) return nullptr;
    const Thing& name = thing(va_arg(arguments, jstring));
    const Thing& bytes = thing(va_arg(arguments, jbyteArray));
    const jint offset = va_arg(arguments, jint), length = va_arg(arguments, jint);
    record("define", utf8(name.text) + " " + hex(bytes.bytes.data() + offset, length));
    return make();
}

void answerObjects() {
    functions.GetObjectClass = &objectClass;
    functions.GetMethodID = &method;
    functions.NewString = &makeString;
    functions.NewStringUTF = &makeStringUtf;
    functions.GetStringLength = &stringLength;
    functions.GetStringChars = &stringChars;
    functions.NewByteArray = &newByteArray;
    functions.GetByteArrayElements = &byteElements;
    functions.GetArrayLength = &arrayLength;
    functions.NewGlobalRef = &globalReference;
    functions.NewObjectV = &newObject;
    functions.CallObjectMethodV = &callObject;
}

using Native = jobject(JNICALL*)(JNIEnv*, jobject, jstring);

// What the application's lookups would get: the class through the loader's findClass
// (its definition is recorded), resources through findResource, their URL's text and
// the bytes read back through the URL handler.
void lookUpNames(JNIEnv* env) {
    oru::NarrowString ansi;
    oru::platform::wideToNarrow(u"中", -1, ansi);
    record("ansi", hex(ansi.c_str(), ansi.length()));
    oru::platform::LibraryHandle self = oru::platform::loadLibrary(applicationPath.c_str());
    auto native = [self](const char* name) {
        return reinterpret_cast<Native>(oru::platform::librarySymbol(
            self, (std::string("Java_com_vostrand_oru_") + name).c_str()));
    };
    const Native findClass = native("KestrunClassLoader_findClass");
    const Native findResource = native("KestrunClassLoader_findResource");
    const Native loadData = native("Handler_loadResourceData");
    if (!findClass || !findResource || !loadData) return record("natives", "missing");
    answerObjects();
    const jobject loader = make();
    findClass(env, loader, static_cast<jstring>(make(u"world.Grüße")));
    for (const std::u16string name : {u"中文.txt", u"world/mr/Which.class", u"無.txt"}) {
        const jobject url = findResource(env, loader, static_cast<jstring>(make(name)));
        const jobject data =
            url ? loadData(env, nullptr, static_cast<jstring>(make(thing(url).text))) : nullptr;
        const std::vector<jbyte> bytes = data ? thing(data).bytes : std::vector<jbyte>();
        record("resource", utf8(name) + " " + (url ? utf8(thing(url).text) : "-") + " " +
                               hex(bytes.data(), bytes.size()));
    }
}

void JNICALL callMain(JNIEnv* env, jclass, jmethodID, va_list) {
    record("main", "called");
    lookUpNames(env);
}

void fill(void* table, size_t size) {
    auto** slots = static_cast<void**>(table);
    for (size_t i = 0; i < size / sizeof(void*); ++i) slots[i] = reinterpret_cast<void*>(&nothing);
}

void recordOptions(const JavaVMInitArgs* init) {
    const char classPath[] = "-Djava.class.path=";
    const char appPath[] = "-Doru.app.path=";
    for (jint i = 0; i < init->nOptions; ++i) {
        const std::string option = init->options[i].optionString;
        if (option.rfind(appPath, 0) == 0) {
            applicationPath = option.substr(sizeof appPath - 1);
            recordPath("app-path", applicationPath);
        }
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
