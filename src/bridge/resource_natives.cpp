// The URL handler's natives: "oru:" URL text to an entry's bytes and metadata.
#include "bridge/resource_natives.h"

#include "bridge/bridge_state.h"
#include "bridge/java_names.h"
#include "bridge/jni_array_sink.h"
#include "bridge/resource_urls.h"
#include "jvm/jni_support.h"
#include "support/utf8.h"
#include "support/wide_string.h"

namespace oru {

namespace {

constexpr int kPrefixLength = 4;  // "oru:"

bool hasPrefix(const char16_t* units, int count) {
    static const char kPrefix[] = "oru:";
    if (count < kPrefixLength) return false;
    for (int i = 0; i < kPrefixLength; ++i) {
        const char16_t c = units[i] >= 'A' && units[i] <= 'Z' ? units[i] + ('a' - 'A') : units[i];
        if (c != static_cast<unsigned char>(kPrefix[i])) return false;
    }
    return true;
}

// The URL text `resource` after "oru:" in UTF-8; false when it is not an "oru:" URL, or
// holds an unpaired surrogate.
bool urlText(JNIEnv* env, jstring resource, NarrowString& text) {
    const jchar* chars = resource ? env->GetStringChars(resource, nullptr) : nullptr;
    if (!chars) {
        clearPendingException(env, false);
        return false;
    }
    const auto* units = reinterpret_cast<const char16_t*>(chars);
    const int count = env->GetStringLength(resource);
    const bool made =
        hasPrefix(units, count) && appendUtf8(text, units + kPrefixLength, count - kPrefixLength);
    env->ReleaseStringChars(resource, chars);
    return made;
}

// Looks the entry that the URL text `resource` names up with `lookup` (a query and its
// UTF-8 form, `context` passed on), trying the names it may stand for in turn. Whether
// the lookup found it.
using Lookup = bool (*)(void* context, const NarrowString& query, const NarrowString* utf8);

bool lookUpResource(JNIEnv* env, jstring resource, Lookup lookup, void* context) {
    ensureArchiveOpen(env);
    NarrowString text;
    if (!urlText(env, resource, text)) return false;
    NarrowString names[2];
    const int count = resourceUrlNames(text, names);
    for (int i = 0; i < count; ++i) {
        WideString units;
        ArchiveQuery query;
        // Every name is UTF-8: the text was, and the decoded one was checked.
        if (utf8ToUtf16(names[i].c_str(), names[i].length(), units) &&
            makeArchiveQuery(units.c_str(), units.length(), '/', query) &&
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

}  // namespace oru
