// JniArraySink: creating, pinning and releasing the Java array for one entry.
#include "bridge/jni_array_sink.h"

namespace oru {

bool JniArraySink::begin(uint32_t size, unsigned char*& bytes) {
    // The store never asks for more than a Java array can hold.
    array_ = env_->NewByteArray(static_cast<jsize>(size));
    if (!array_) return false;
    // An empty array has no elements to fill: nothing to pin.
    if (size == 0) {
        bytes = nullptr;
        return true;
    }
    elements_ = env_->GetByteArrayElements(array_, nullptr);
    if (!elements_) {
        env_->DeleteLocalRef(array_);
        array_ = nullptr;
        return false;
    }
    bytes = reinterpret_cast<unsigned char*>(elements_);
    return true;
}

void JniArraySink::end(bool complete) {
    // Mode 0 copies the bytes back if the VM handed out a copy; JNI_ABORT discards them.
    if (elements_) env_->ReleaseByteArrayElements(array_, elements_, complete ? 0 : JNI_ABORT);
    elements_ = nullptr;
    if (complete) {
        result_ = array_;
    } else if (array_) {
        env_->DeleteLocalRef(array_);
    }
    array_ = nullptr;
}

jbyteArray readEntryAsByteArray(EmbeddedArchive& archive, JNIEnv* env, const NarrowString& query,
                                const NarrowString* utf8) {
    JniArraySink sink(env);
    return archive.readEntry(sink, query, utf8) ? sink.result() : nullptr;
}

}  // namespace oru
