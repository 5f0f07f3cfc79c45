// Entries read as Java byte arrays, with a real virtual machine created in this process.
#include "bridge/jni_array_sink.h"

#include <gtest/gtest.h>

#include <string>

#include "archive_test_support.h"
#include "jni_test_vm.h"
#include "zip_writer.h"

namespace oru {
namespace {

using tools::ZipMethod;
using tools::ZipWriter;

// The array's bytes, or "<null>"; deletes the local reference.
std::string contentOf(JNIEnv* env, jbyteArray array) {
    if (!array) return "<null>";
    std::string bytes(static_cast<size_t>(env->GetArrayLength(array)), '\0');
    env->GetByteArrayRegion(array, 0, static_cast<jsize>(bytes.size()),
                            reinterpret_cast<jbyte*>(&bytes[0]));
    env->DeleteLocalRef(array);
    return bytes;
}

TEST(JniArraySinkTest, EntriesArriveAsJavaArrays) {
    JNIEnv* env = testing::testVmEnv();
    const std::string stored = testing::noise(70000, 3);
    const std::string deflated = std::string(100000, 'z') + testing::noise(5000, 4);
    ZipWriter writer;
    writer.add("META-INF/", "", ZipMethod::kStored);
    writer.add("s.bin", stored, ZipMethod::kStored);
    writer.add("com/x/D.class", deflated);
    writer.add("damaged.bin", "checksum will not match", ZipMethod::kStored);
    tools::ZipLayout at;
    std::string bytes = writer.finish(std::string(), &at);
    bytes[at.dataOffsets[3]] ^= 1;
    auto store = testing::openStore(bytes);
    const std::pair<const char*, std::string> cases[] = {
        {"s.bin", stored},           {"com/x/D.class", deflated}, {"META-INF/", ""},
        {"missing.class", "<null>"}, {"damaged.bin", "<null>"},  // filled, then discarded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(contentOf(env, readEntryAsByteArray(*store, env, NarrowString(c.first))),
                  c.second)
            << c.first;
        EXPECT_FALSE(env->ExceptionCheck()) << c.first;
    }
}

TEST(JniArraySinkTest, ArrayTooLargeForTheHeapLeavesOutOfMemoryPending) {
    JNIEnv* env = testing::testVmEnv();
    ZipWriter writer;
    writer.add("big.bin", std::string(64u << 20, '\0'), ZipMethod::kStored);
    writer.add("small.txt", "still readable", ZipMethod::kStored);
    auto store = testing::openStore(writer.finish());
    EXPECT_EQ(readEntryAsByteArray(*store, env, NarrowString("big.bin")), nullptr);
    ASSERT_TRUE(env->ExceptionCheck());
    jthrowable thrown = env->ExceptionOccurred();
    env->ExceptionClear();
    jclass oom = env->FindClass("java/lang/OutOfMemoryError");
    EXPECT_TRUE(env->IsInstanceOf(thrown, oom));
    env->DeleteLocalRef(oom);
    env->DeleteLocalRef(thrown);
    EXPECT_EQ(contentOf(env, readEntryAsByteArray(*store, env, NarrowString("small.txt"))),
              "still readable");
}

}  // namespace
}  // namespace oru
