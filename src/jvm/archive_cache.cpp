// The class-data archive kept per executable and runtime: its name, options and rename.
#include "jvm/archive_cache.h"

#include <cstdarg>
#include <cstring>
#include <initializer_list>

#include "jvm/jni_support.h"
#include "jvm/vm_host.h"
#include "platform/cache_files.h"
#include "platform/environment.h"
#include "platform/formatting.h"
#include "platform/path_style.h"
#include "platform/paths.h"
#include "platform/quiet_output.h"
#include "platform/trace.h"

namespace oru {

namespace {

// The archive this run writes under a name of its own, and the name it then takes.
// Plain arrays: nothing to construct at start or destroy at exit, when the virtual machine
// may still call the exit hook.
char pendingFile[platform::kPathCapacity];
char finalFile[platform::kPathCapacity];
bool assembledAtExit = false;

// public final class com.vostrand.oru.ArchiveHook implements Runnable {
//     public native void run(); }
// Class file version 50: a native method has no code, so it needs no stack map.
// clang-format off
const char kHookClass[] =
    "\xca\xfe\xba\xbe\0\0\0\x32\0\x09"                              // magic, 50.0, 8 constants
    "\x01\0\x1c" "com/vostrand/oru/ArchiveHook" "\x07\0\x01"        // #1, #2: this class
    "\x01\0\x10" "java/lang/Object" "\x07\0\x03"                    // #3, #4: its super class
    "\x01\0\x12" "java/lang/Runnable" "\x07\0\x05"                  // #5, #6: its interface
    "\x01\0\x03" "run" "\x01\0\x03" "()V"                           // #7, #8: name, type
    "\0\x31\0\x02\0\x04\0\x01\0\x06\0\0"                            // flags, classes, no fields
    "\0\x01\x01\x01\0\x07\0\x08\0\0\0\0";                           // run(): public native
// clang-format on

// FNV-1a of 32 bits: a name that two versions of one application share by chance names an
// archive the runtime checks against the class path and refuses, never a wrong one.
uint32_t hashBytes(uint32_t hash, const void* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        hash ^= static_cast<const unsigned char*>(bytes)[i];
        hash *= 16777619u;
    }
    return hash;
}

// Writes `format` with its arguments into `buffer` of kPathCapacity bytes; false when the
// result does not fit.
bool formatPath(char* buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int length = platform::formatInto(buffer, platform::kPathCapacity, format, arguments);
    va_end(arguments);
    return length < platform::kPathCapacity - 1;
}

// The options of each kind of archive, of a run that writes it and of one that maps it;
// an option ending in '=' takes the file's name.
const char* const kKindOptions[3][2][2] = {
    {{"-XX:ArchiveClassesAtExit=", nullptr}, {"-XX:SharedArchiveFile=", nullptr}},
    {{"-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile="},
     {"-XX:SharedArchiveFile=", nullptr}},
    {{"-XX:AOTCacheOutput=", "-Xlog:aot*=off"}, {"-XX:AOTCache=", "-Xlog:aot*=off"}},
};

// The file name at the end of `path`: after its last folder separator.
const char* fileNameOf(const char* path) {
    const char* name = path;
    for (const char* at = path; *at; ++at)
        if (platform::isDirectorySeparator(*at)) name = at + 1;
    return name;
}

void JNICALL onVmExit(jint) { finishArchiveCache(); }

void JNICALL runHook(JNIEnv*, jobject) { platform::silenceStandardOutput(); }

}  // namespace

void archiveCacheOptions(int feature, bool exists, const char* file, StringList& options) {
    if (feature < kDynamicArchiveSince) return;
    const int kind = feature >= kAotCacheSince ? 2 : feature >= kAutoArchiveSince ? 1 : 0;
    // The lines about the cache's assembly at exit, the child virtual machine's too.
    const bool assembles = kind == 2 && !exists;
    const char* const all[] = {kKindOptions[kind][exists][0], kKindOptions[kind][exists][1],
                               "-Xlog:cds*=off",
                               assembles ? "-XX:+UnlockDiagnosticVMOptions" : nullptr,
                               assembles ? "-XX:-DisplayVMOutput" : nullptr};
    for (const char* option : all) {
        if (!option) continue;
        NarrowString text(option);
        if (option[std::strlen(option) - 1] == '=') text += file;
        options.add(text);
    }
}

bool namesArchiveOption(const StringList& options) {
    // SharedArchive: SharedArchiveFile and AutoCreateSharedArchive; AOTCache: AOTCacheOutput too.
    static const char* const names[] = {"SharedArchive", "ArchiveClassesAtExit", "AOTCache",
                                        "AOTMode"};
    for (int i = 0; i < options.count(); ++i) {
        const char* option = options.at(i);
        if (std::strncmp(option, "-Xshare", 7) == 0) return true;
        if (std::strncmp(option, "-XX:", 4) != 0) continue;
        for (const char* name : names)
            if (std::strstr(option, name)) return true;
    }
    return false;
}

void prepareArchiveCache(VmHost& host, const NarrowString& executablePath,
                         const NarrowString& libraryPath, int feature) {
    // Whose archive it is: both files' paths (with their terminators) and stamps.
    uint32_t hash = hashBytes(2166136261u, &feature, sizeof feature);
    for (const NarrowString* path : {&executablePath, &libraryPath}) {
        platform::FileStamp stamp;
        if (!platform::fileStamp(path->c_str(), stamp)) feature = 0;
        hash = hashBytes(hash, path->c_str(), static_cast<size_t>(path->length()) + 1);
        hash = hashBytes(hash, &stamp, sizeof stamp);
    }
    // A dynamic archive extends the runtime's own base archives, without which the
    // runtime refuses to start: 32-bit runtimes and images made without them have none.
    const char* library = libraryPath.c_str();
    const int folderLength = static_cast<int>(fileNameOf(library) - library);
    for (const char* base : {"classes", "classes_nocoops"}) {
        char path[platform::kPathCapacity];
        platform::FileStamp stamp;
        if (feature < kAotCacheSince &&
            !(formatPath(path, "%.*s%s.jsa", folderLength, library, base) &&
              platform::fileStamp(path, stamp)))
            feature = 0;
    }
    NarrowString root;
    if (feature < kDynamicArchiveSince || !platform::userCacheFolder(root)) {
        trace::event("cache", "none: version %d, no folder", feature);
        return;
    }
    // The executable's file name without its extension names the application's folder.
    const char* name = fileNameOf(executablePath.c_str());
    const char* dot = std::strrchr(name, '.');
    const int nameLength = static_cast<int>(dot && dot != name ? dot - name : std::strlen(name));
    const char* extension = feature >= kAotCacheSince ? "aot" : "jsa";
    // The cache folder ends with the separator to use.
    const char separator = root.byteAt(root.length() - 1);
    char oru[platform::kPathCapacity], folder[platform::kPathCapacity],
        pending[platform::kPathCapacity];
    char* const file = finalFile;
    const auto code = static_cast<unsigned>(hash);
    if (!formatPath(oru, "%soru", root.c_str()) ||
        !formatPath(folder, "%s%c%.*s", oru, separator, nameLength, name) ||
        !formatPath(file, "%s%c%08x.%s", folder, separator, code, extension) ||
        !formatPath(pending, "%s%c%08x.tmp%08x.%s", folder, separator, code,
                    static_cast<unsigned>(platform::processNumber()), extension))
        return;
    platform::FileStamp stamp;
    const bool exists = platform::fileStamp(file, stamp) && stamp.size > 0;
    // A file made now proves the folder writable: the runtime stops the process when it
    // cannot write its archive at exit.
    if (!exists && !(platform::makeFolder(root.c_str()) && platform::makeFolder(oru) &&
                     platform::makeFolder(folder) && platform::createNewFile(pending))) {
        trace::event("cache", "cannot write %s", pending);
        return;
    }
    trace::event("cache", "%s %s", exists ? "using" : "writing", file);
    if (!exists) {
        std::memcpy(pendingFile, pending, sizeof pending);
        host.setExitHook(reinterpret_cast<void*>(&onVmExit));
    }
    assembledAtExit = !exists && feature >= kAotCacheSince;
    archiveCacheOptions(feature, exists, exists ? file : pending, host.options());
}

void quietArchiveAssembly(JNIEnv_* env) {
    if (!assembledAtExit) return;
    // Local references end with this thread's attachment, which ends right after.
    const jclass hook = env->DefineClass(
        nullptr, nullptr, reinterpret_cast<const jbyte*>(kHookClass), sizeof kHookClass - 1);
    const jclass shutdown = hook ? env->FindClass("java/lang/Shutdown") : nullptr;
    const JNINativeMethod run{const_cast<char*>("run"), const_cast<char*>("()V"),
                              reinterpret_cast<void*>(&runHook)};
    const jmethodID add =
        shutdown ? env->GetStaticMethodID(shutdown, "add", "(IZLjava/lang/Runnable;)V") : nullptr;
    // The last of the system's shutdown slots: it runs once every other hook has ended.
    if (add && env->RegisterNatives(hook, &run, 1) == JNI_OK) {
        jvalue arguments[3];
        arguments[0].i = 9;
        arguments[1].z = JNI_FALSE;
        arguments[2].l = env->AllocObject(hook);
        env->CallStaticVoidMethodA(shutdown, add, arguments);
    }
    if (clearPendingException(env, false) || !add) trace::event("cache", "no hook");
}

void finishArchiveCache() {
    platform::restoreStandardOutput();
    if (!*pendingFile) return;
    platform::FileStamp stamp;
    const bool placed = platform::fileStamp(pendingFile, stamp) && stamp.size > 0 &&
                        platform::replaceFile(pendingFile, finalFile);
    if (!placed) platform::removeFile(pendingFile);
    trace::event("cache", "%s %s", placed ? "written" : "not written", finalFile);
    *pendingFile = '\0';
}

}  // namespace oru
