// JniArraySink: entries read from the store arrive as new Java byte arrays.
#pragma once

#include <jni.h>

#include "archive/embedded_archive.h"
#include "archive/entry_sink.h"
#include "support/narrow_string.h"

namespace oru {

// Makes one Java byte array per entry and lets the store inflate straight into its
// pinned elements. The store calls begin and end outside its node's lock, so the virtual
// machine may block or collect inside them without holding up other readers.
class JniArraySink : public EntrySink {
public:
    explicit JniArraySink(JNIEnv* env) : env_(env) {}
    JniArraySink(const JniArraySink&) = delete;
    JniArraySink& operator=(const JniArraySink&) = delete;

    // Creates an array of `size` bytes and pins it. False when the virtual machine
    // cannot create it (its OutOfMemoryError stays pending for the caller) or cannot
    // pin it (the array is dropped).
    bool begin(uint32_t size, unsigned char*& bytes) override;
    // Unpins the array: kept as the result when `complete`, dropped otherwise.
    void end(bool complete) override;
    // The finished array, a local reference the caller then owns; null when none.
    jbyteArray result() const { return result_; }

private:
    JNIEnv* env_;
    jbyteArray array_ = nullptr;
    jbyte* elements_ = nullptr;
    jbyteArray result_ = nullptr;
};

// The complete content of the first entry of `archive` matching `query`, as a new Java
// byte array (a local reference owned by the caller); null when no entry matches or it
// cannot be read, with the virtual machine's exception pending when it ran out of memory.
jbyteArray readEntryAsByteArray(EmbeddedArchive& archive, JNIEnv* env, const NarrowString& query,
                                const NarrowString* utf8 = nullptr);

}  // namespace oru
