// The manifest parser against java.util.jar.Manifest itself, in a real virtual machine.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "archive/manifest.h"
#include "jni_test_vm.h"
#include "jvm/jni_support.h"

namespace oru {
namespace {

// The UTF-16 units of `text` (a local reference, deleted), or "<null>".
std::u16string unitsOf(JNIEnv* env, jstring text) {
    if (!text) return u"<null>";
    const jchar* chars = env->GetStringChars(text, nullptr);
    std::u16string units(reinterpret_cast<const char16_t*>(chars),
                         static_cast<size_t>(env->GetStringLength(text)));
    env->ReleaseStringChars(text, chars);
    env->DeleteLocalRef(text);
    return units;
}

// Manifests made at random of the pieces that matter (line ends, continuations, section
// headers, names java refuses, long lines, characters beyond the BMP, malformed bytes,
// NULs) read as java reads them: the same verdict, and the same values as Java strings.
TEST(JniManifestTest, RandomManifestsReadAsJavaReadsThem) {
    JNIEnv* env = testing::testVmEnv();
    // java logs each attribute named twice on System.err, which is silenced meanwhile.
    jclass system = env->FindClass("java/lang/System");
    jclass printStream = env->FindClass("java/io/PrintStream");
    jclass outputStream = env->FindClass("java/io/OutputStream");
    ASSERT_TRUE(system && printStream && outputStream);
    jfieldID errField = env->GetStaticFieldID(system, "err", "Ljava/io/PrintStream;");
    jmethodID setErr = env->GetStaticMethodID(system, "setErr", "(Ljava/io/PrintStream;)V");
    jobject err = env->GetStaticObjectField(system, errField);
    jobject nowhere = env->CallStaticObjectMethod(
        outputStream,
        env->GetStaticMethodID(outputStream, "nullOutputStream", "()Ljava/io/OutputStream;"));
    env->CallStaticVoidMethod(
        system, setErr,
        env->NewObject(printStream,
                       env->GetMethodID(printStream, "<init>", "(Ljava/io/OutputStream;)V"),
                       nowhere));
    jclass streamClass = env->FindClass("java/io/ByteArrayInputStream");
    jclass manifestClass = env->FindClass("java/util/jar/Manifest");
    jclass attributesClass = env->FindClass("java/util/jar/Attributes");
    ASSERT_TRUE(streamClass && manifestClass && attributesClass);
    jmethodID newStream = env->GetMethodID(streamClass, "<init>", "([B)V");
    jmethodID newManifest = env->GetMethodID(manifestClass, "<init>", "(Ljava/io/InputStream;)V");
    jmethodID mainAttributes =
        env->GetMethodID(manifestClass, "getMainAttributes", "()Ljava/util/jar/Attributes;");
    jmethodID sectionAttributes = env->GetMethodID(
        manifestClass, "getAttributes", "(Ljava/lang/String;)Ljava/util/jar/Attributes;");
    jmethodID getValue =
        env->GetMethodID(attributesClass, "getValue", "(Ljava/lang/String;)Ljava/lang/String;");
    const std::string pieces[] = {"A: 1",
                                  "a: 2",
                                  "B: x\xFF\xED\xA0\x80",
                                  "Name: p/",
                                  "name: q/",
                                  "Name:p/",
                                  " c",
                                  "  \xF0\x9F\x98\x80",
                                  "",
                                  ": v",
                                  "A:",
                                  "A: ",
                                  "Bad name: v",
                                  "Name: ",
                                  "Name",
                                  std::string("B: \0", 4),
                                  "Sealed: true",
                                  std::string(70, 'N') + ": 3",
                                  std::string(71, 'N') + ": 4",
                                  std::string(507, 'L')};
    const char* const ends[] = {"\n", "\r\n", "\r", ""};
    std::mt19937 random(25);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int k = static_cast<int>(random() % 12); k > 0; --k)
            text += pieces[random() % std::size(pieces)] + ends[random() % std::size(ends)];
        JarManifest ours;
        const bool valid = ours.read(text.data(), text.size());
        jbyteArray bytes = env->NewByteArray(static_cast<jsize>(text.size()));
        env->SetByteArrayRegion(bytes, 0, static_cast<jsize>(text.size()),
                                reinterpret_cast<const jbyte*>(text.data()));
        jobject stream = env->NewObject(streamClass, newStream, bytes);
        jobject manifest = env->NewObject(manifestClass, newManifest, stream);
        const bool refused = env->ExceptionCheck();
        env->ExceptionClear();
        if (valid == refused) {
            ADD_FAILURE() << (valid ? "java refuses " : "java reads ") << text;
            break;
        }
        for (const char* section : {static_cast<const char*>(nullptr), "p/", "q/", ""}) {
            const NarrowString named(section);
            jstring sectionName = section ? env->NewStringUTF(section) : nullptr;
            jobject attributes =
                !manifest ? nullptr
                : section ? env->CallObjectMethod(manifest, sectionAttributes, sectionName)
                          : env->CallObjectMethod(manifest, mainAttributes);
            for (const char* name : {"A", "B", "Sealed", "NNNNNNNNNN"}) {
                jstring key = env->NewStringUTF(name);
                const std::u16string java =
                    unitsOf(env, attributes ? static_cast<jstring>(
                                                  env->CallObjectMethod(attributes, getValue, key))
                                            : nullptr);
                ManifestValue value;
                const std::u16string parsed =
                    unitsOf(env, valid && ours.find(section ? &named : nullptr, name, value)
                                     ? newJavaStringFromUtf8(env, value.bytes, value.length)
                                     : nullptr);
                EXPECT_EQ(parsed, java) << text << "\n" << (section ? section : "-") << name;
                env->DeleteLocalRef(key);
            }
            if (sectionName) env->DeleteLocalRef(sectionName);
            if (attributes) env->DeleteLocalRef(attributes);
        }
        for (jobject ref : {static_cast<jobject>(bytes), stream, manifest})
            if (ref) env->DeleteLocalRef(ref);
    }
    env->CallStaticVoidMethod(system, setErr, err);
}

}  // namespace
}  // namespace oru
