// The URL handler's natives: "oru:" URL text to an entry's bytes and metadata.
#include "bridge/resource_natives.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "bridge/bridge_state.h"
#include "bridge/java_names.h"
#include "bridge/jni_array_sink.h"
#include "bridge/resource_urls.h"
#include "jvm/jni_support.h"

namespace oru {

namespace {

// Looks the entry that the URL text `resource` names up with `lookup` (a query and its
// UTF-8 form, `context` passed on), trying the names it may stand for in turn. Whether
// the lookup found it.
using Lookup = bool (*)(void* context, const NarrowString& query, const NarrowString* utf8);

bool lookUpResource(JNIEnv* env, jstring resource, Lookup lookup, void* context) {
    ensureArchiveOpen(env);
    NarrowString text;
    if (!appendJavaUtf8(env, resource, text) || text.left(4).compareNoCase("oru:") != 0)
        return false;
    const NarrowString literal = text.mid(4);
    NarrowString decoded;
    const UrlForm form = decodeUrlText(literal, decoded);
    const NarrowString* names[2] = {&literal, &decoded};
    if (form == UrlForm::kWritten) std::swap(names[0], names[1]);
    for (int i = 0; i < (form == UrlForm::kMalformed ? 1 : 2); ++i) {
        ArchiveQuery query;
        if (makeArchiveQuery(*names[i], '/', query) &&
            lookup(context, query.ansi, query.utf8Form()))
            return true;
    }
    return false;
}

struct ReadLookup {
    JNIEnv* env;
    jbyteArray bytes;
};

struct InfoLookup {
    uint32_t size;
    uint32_t dosTime;
};

}  // namespace

jbyteArray loadResourceBytes(JNIEnv* env, jstring resource) {
    ReadLookup read{env, nullptr};
    lookUpResource(
        env, resource,
        [](void* context, const NarrowString& query, const NarrowString* utf8) {
            ReadLookup& read = *static_cast<ReadLookup*>(context);
            read.bytes = readEntryAsByteArray(rootArchive(), read.env, query, utf8);
            if (!read.bytes) clearPendingException(read.env, true);  // an array too large to make
            return read.bytes != nullptr;
        },
        &read);
    return read.bytes;
}

jlongArray loadResourceInfo(JNIEnv* env, jstring resource) {
    InfoLookup entry{0, 0};
    const bool found = lookUpResource(
        env, resource,
        [](void* context, const NarrowString& query, const NarrowString* utf8) {
            InfoLookup& entry = *static_cast<InfoLookup*>(context);
            return rootArchive().entryInfo(query, utf8, entry.size, entry.dosTime);
        },
        &entry);
    if (!found) return nullptr;
    const jlong values[2] = {static_cast<jlong>(entry.size), static_cast<jlong>(entry.dosTime)};
    jlongArray info = env->NewLongArray(2);
    if (info) env->SetLongArrayRegion(info, 0, 2, values);
    clearPendingException(env, true);  // out of memory
    return info;
}

jlong openResourceStream(JNIEnv* env, jstring resource) {
    std::unique_ptr<EntryStream> stream(new (std::nothrow) EntryStream);
    if (!stream) return 0;
    const bool found = lookUpResource(
        env, resource,
        [](void* context, const NarrowString& query, const NarrowString* utf8) {
            return rootArchive().openStream(*static_cast<EntryStream*>(context), query, utf8);
        },
        stream.get());
    return found ? static_cast<jlong>(reinterpret_cast<uintptr_t>(stream.release())) : 0;
}

constexpr uint32_t kLargestRead = 64 * 1024;

jint readResourceStream(JNIEnv* env, jlong handle, jbyteArray buffer, jint offset,
                        jint length) noexcept {
    // Through a buffer of our own, as the JDK's streams copy: on the stack for a small
    // read, else one of at most 64 KiB for the call, so that large reads cost few calls.
    unsigned char small[8192];
    auto* stream = reinterpret_cast<EntryStream*>(static_cast<uintptr_t>(handle));
    uint32_t wanted = length > 0 ? static_cast<uint32_t>(length) : 0;
    if (wanted > kLargestRead) wanted = kLargestRead;
    std::unique_ptr<unsigned char[]> large(
        wanted > sizeof small ? new (std::nothrow) unsigned char[wanted] : nullptr);
    if (!large && wanted > sizeof small) wanted = sizeof small;
    unsigned char* bytes = large ? large.get() : small;
    const int count = stream && wanted > 0 ? stream->read(bytes, wanted) : 0;
    if (count > 0) env->SetByteArrayRegion(buffer, offset, count, reinterpret_cast<jbyte*>(bytes));
    if (count >= 0) return count > 0 || length <= 0 ? count : -1;
    LocalRef<jstring> why(env, env->NewStringUTF("invalid entry CRC or data"));
    throwJavaException(env, "java/util/zip/ZipException", why.get());
    return -1;
}

void closeResourceStream(jlong handle) noexcept {
    delete reinterpret_cast<EntryStream*>(static_cast<uintptr_t>(handle));
}

}  // namespace oru
