// main's argument array with a real virtual machine whose allocations fail on demand:
// main runs with every argument or not at all.
#include <gtest/gtest.h>
#include <jvmti.h>

#include <string>

#include "jni_test_vm.h"

namespace oru {
namespace {

// Swaps the machine's JNI function table (the JVM TI way of wrapping JNI functions) for
// one whose NewString fails for the text `failingText`, and whose NewObjectArray fails
// when `failArrays`, each as on an exhausted heap. The original table comes back when
// the object goes.
class FailingAllocations {
public:
    FailingAllocations(JNIEnv* env, const std::u16string& failingText, bool failArrays) {
        JavaVM* vm = nullptr;
        env->GetJavaVM(&vm);
        vm->GetEnv(reinterpret_cast<void**>(&jvmti_), JVMTI_VERSION_1_0);
        jvmti_->GetJNIFunctionTable(&original_);
        JNINativeInterface_ table = *original_;
        table.NewString = &newString;
        table.NewObjectArray = &newObjectArray;
        active_ = this;
        failingText_ = failingText;
        failArrays_ = failArrays;
        jvmti_->SetJNIFunctionTable(&table);
    }
    ~FailingAllocations() {
        jvmti_->SetJNIFunctionTable(original_);
        jvmti_->Deallocate(reinterpret_cast<unsigned char*>(original_));
        active_ = nullptr;
    }

private:
    static void throwOutOfMemory(JNIEnv* env) {
        jclass error = env->FindClass("java/lang/OutOfMemoryError");
        env->ThrowNew(error, "made to fail by the test");
        env->DeleteLocalRef(error);
    }
    static jstring JNICALL newString(JNIEnv* env, const jchar* units, jsize length) {
        if (active_->failingText_ ==
            std::u16string(reinterpret_cast<const char16_t*>(units), static_cast<size_t>(length))) {
            throwOutOfMemory(env);
            return nullptr;
        }
        return active_->original_->NewString(env, units, length);
    }
    static jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass type,
                                               jobject initial) {
        if (active_->failArrays_) {
            throwOutOfMemory(env);
            return nullptr;
        }
        return active_->original_->NewObjectArray(env, length, type, initial);
    }

    static FailingAllocations* active_;
    jvmtiEnv* jvmti_ = nullptr;
    jniNativeInterface* original_ = nullptr;
    std::u16string failingText_;
    bool failArrays_ = false;
};

FailingAllocations* FailingAllocations::active_ = nullptr;

TEST(MainArgumentsTest, MainRunsWithEveryArgumentOrNotAtAll) {
    JNIEnv* env = testing::testVmEnv();
    const struct Case {
        const char* what;
        std::u16string failingText;
        bool failArrays;
        LaunchResult result;
    } cases[] = {
        {"every part made", u"", false, kLaunchSucceeded},
        {"the second argument cannot be made", u"second", false, kVmCreationFailed},
        {"the array cannot be made", u"", true, kVmCreationFailed},
    };
    for (const Case& c : cases) {
        char first[] = "first", second[] = "second", third[] = "third";
        char* argv[] = {first, second, third};
        LaunchResult result;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        {
            FailingAllocations failing(env, c.failingText, c.failArrays);
            result = testing::testVmHost().runMain(NarrowString("probe.Report"), 3, argv);
        }
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_FALSE(env->ExceptionCheck()) << c.what;
        if (c.result == kLaunchSucceeded) {
            EXPECT_NE(out.find("argc=3\narg0=first\narg1=second\narg2=third\n"), std::string::npos)
                << c.what << ": " << out;
        } else {
            EXPECT_EQ(out, "") << c.what << ": main ran";
            EXPECT_NE(err.find("OutOfMemoryError: made to fail by the test"), std::string::npos)
                << c.what << ": " << err;
        }
    }
}

}  // namespace
}  // namespace oru
