// The class-data archive kept per executable and runtime: its name, options and rename.
#include "jvm/archive_cache.h"

#include <cstring>

#include "jvm/jni_support.h"
#include "platform/cache_files.h"
#include "platform/path_style.h"
#include "platform/quiet_output.h"
#include "platform/trace.h"

namespace oru {

namespace {

// The archive this run writes under a name of its own, and the name it then takes.
NarrowString pendingFile;
NarrowString finalFile;
bool assembledAtExit = false;

// public final class com.vostrand.oru.ArchiveHook implements Runnable {
//     public native void run(); }
// Class file version 50: a native method has no code, so it needs no stack map.
const char kHookClass[] =
    "\xca\xfe\xba\xbe\0\0\0\x32\0\x09"  // magic, 50.0, 8 constants
    "\x01\0\x1c"
    "com/vostrand/oru/ArchiveHook"
    "\x07\0\x01"  // #1, #2: this class
    "\x01\0\x10"
    "java/lang/Object"
    "\x07\0\x03"  // #3, #4: its super class
    "\x01\0\x12"
    "java/lang/Runnable"
    "\x07\0\x05"  // #5, #6: its interface
    "\x01\0\x03"
    "run"
    "\x01\0\x03"
    "()V"                                  // #7, #8
    "\0\x31\0\x02\0\x04\0\x01\0\x06\0\0"   // flags, classes, no fields
    "\0\x01\x01\x01\0\x07\0\x08\0\0\0\0";  // run(): public native

uint64_t hashBytes(uint64_t hash, const void* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        hash ^= static_cast<const unsigned char*>(bytes)[i];
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// Whose archive it is: a file's path (with its terminator) and stamp; false without one.
bool hashFile(uint64_t& hash, const NarrowString& path) {
    platform::FileStamp stamp;
    if (!platform::fileStamp(path.c_str(), stamp)) return false;
    hash = hashBytes(hash, path.c_str(), static_cast<size_t>(path.length()) + 1);
    hash = hashBytes(hash, &stamp.size, sizeof stamp.size);
    hash = hashBytes(hash, &stamp.modified, sizeof stamp.modified);
    return true;
}

// The executable's file name without its extension.
NarrowString applicationName(const NarrowString& executablePath) {
    int start = executablePath.length();
    while (start > 0 && !platform::isDirectorySeparator(executablePath.byteAt(start - 1))) --start;
    int end = executablePath.length();
    for (int i = end - 1; i > start; --i)
        if (executablePath.byteAt(i) == '.') {
            end = i;
            break;
        }
    return NarrowString(executablePath.c_str() + start, end - start);
}

// `value` as `digits` hexadecimal digits.
NarrowString hexDigits(uint64_t value, int digits) {
    NarrowString text;
    while (digits-- > 0) text += "0123456789abcdef"[(value >> (4 * digits)) & 15];
    return text;
}

void JNICALL onVmExit(jint) { finishArchiveCache(); }

void JNICALL runHook(JNIEnv*, jobject) { platform::silenceStandardOutput(); }

}  // namespace

StringList archiveCacheOptions(int feature, bool exists, const NarrowString& file) {
    StringList options;
    if (feature < kDynamicArchiveSince) return options;
    if (feature >= kAotCacheSince) {
        options.add(NarrowString(exists ? "-XX:AOTCache=" : "-XX:AOTCacheOutput=") + file);
        options.add("-Xlog:aot*=off");
    } else if (exists) {
        options.add(NarrowString("-XX:SharedArchiveFile=") + file);
    } else if (feature >= kAutoArchiveSince) {
        options.add("-XX:+AutoCreateSharedArchive");
        options.add(NarrowString("-XX:SharedArchiveFile=") + file);
    } else {
        options.add(NarrowString("-XX:ArchiveClassesAtExit=") + file);
    }
    options.add("-Xlog:cds*=off");
    if (feature >= kAotCacheSince && !exists) {
        // The lines about the cache's assembly at exit, the child virtual machine's too.
        options.add("-XX:+UnlockDiagnosticVMOptions");
        options.add("-XX:-DisplayVMOutput");
    }
    return options;
}

bool namesArchiveOption(const StringList& options) {
    static const char* const names[] = {"SharedArchiveFile", "ArchiveClassesAtExit", "AOTCache",
                                        "AOTMode", "AutoCreateSharedArchive"};
    for (int i = 0; i < options.count(); ++i) {
        const char* option = options.at(i);
        if (std::strncmp(option, "-Xshare", 7) == 0) return true;
        if (std::strncmp(option, "-XX:", 4) != 0) continue;
        for (const char* name : names)
            if (std::strstr(option, name)) return true;
    }
    return false;
}

StringList prepareArchiveCache(const NarrowString& executablePath, const NarrowString& libraryPath,
                               int feature) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    NarrowString folder;
    if (feature < kDynamicArchiveSince) {
        trace::event("cache", "no archive: the runtime's feature version is %d", feature);
        return StringList();
    }
    if (!hashFile(hash, executablePath) || !hashFile(hash, libraryPath) ||
        !platform::userCacheFolder(folder)) {
        trace::event("cache", "no archive: no cache folder or no file stamps");
        return StringList();
    }
    hash = hashBytes(hash, &feature, sizeof feature);
    const char separator[2] = {folder.byteAt(folder.length() - 1), '\0'};
    folder += NarrowString("oru") + separator + applicationName(executablePath) + separator;
    const NarrowString name = folder + hexDigits(hash, 16);
    const char* extension = feature >= kAotCacheSince ? ".aot" : ".jsa";
    const NarrowString file = name + extension;
    platform::FileStamp stamp;
    if (platform::fileStamp(file.c_str(), stamp) && stamp.size > 0) {
        trace::event("cache", "archive %s", file.c_str());
        return archiveCacheOptions(feature, true, file);
    }
    const NarrowString pending =
        name + ".tmp" + hexDigits(platform::processNumber(), 8) + extension;
    // A file made now proves the folder writable: the runtime stops the process when it
    // cannot write its archive at exit.
    if (!platform::makeFolders(folder.c_str()) || !platform::createNewFile(pending.c_str())) {
        trace::event("cache", "no archive: cannot write in %s", folder.c_str());
        return StringList();
    }
    trace::event("cache", "writing archive %s at exit, then %s", pending.c_str(), file.c_str());
    pendingFile = pending;
    finalFile = file;
    assembledAtExit = feature >= kAotCacheSince;
    return archiveCacheOptions(feature, false, pending);
}

void* archiveExitHook() {
    return pendingFile.empty() ? nullptr : reinterpret_cast<void*>(&onVmExit);
}

void quietArchiveAssembly(JNIEnv_* env) {
    if (!assembledAtExit) return;
    LocalRef<jclass> hook(
        env, env->DefineClass("com/vostrand/oru/ArchiveHook", nullptr,
                              reinterpret_cast<const jbyte*>(kHookClass), sizeof kHookClass - 1));
    LocalRef<jclass> shutdown(env, hook ? env->FindClass("java/lang/Shutdown") : nullptr);
    const JNINativeMethod run{const_cast<char*>("run"), const_cast<char*>("()V"),
                              reinterpret_cast<void*>(&runHook)};
    jmethodID add = shutdown
                        ? env->GetStaticMethodID(shutdown.get(), "add", "(IZLjava/lang/Runnable;)V")
                        : nullptr;
    if (add && env->RegisterNatives(hook.get(), &run, 1) == JNI_OK) {
        LocalRef<jobject> instance(env, env->AllocObject(hook.get()));
        // The last of the system's shutdown slots: it runs once every other hook ended.
        if (instance) env->CallStaticVoidMethod(shutdown.get(), add, 9, JNI_FALSE, instance.get());
    }
    trace::event("cache", "the output of the cache's assembly %s",
                 clearPendingException(env, false) || !add ? "stays" : "is dropped");
}

void finishArchiveCache() {
    platform::restoreStandardOutput();
    if (pendingFile.empty()) return;
    platform::FileStamp stamp;
    const bool written = platform::fileStamp(pendingFile.c_str(), stamp) && stamp.size > 0;
    const bool placed = written && platform::replaceFile(pendingFile.c_str(), finalFile.c_str());
    if (!placed) platform::removeFile(pendingFile.c_str());
    trace::event("cache", "archive %s: %s", finalFile.c_str(), placed ? "written" : "not written");
    pendingFile = NarrowString();
}

}  // namespace oru
