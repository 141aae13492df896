// The Android build's one log line: the processor ABI the library was built
// for, under the tag "AndroidLib". Nothing in the library calls it; it
// exists only where the Android log does (never in the i386 stand-in).
#if defined(__ANDROID__)
#include <android/log.h>

#if defined(__i386__)
#define QUORB_ABI "x86"
#elif defined(__x86_64__)
#define QUORB_ABI "x86_64"
#elif defined(__aarch64__)
#define QUORB_ABI "arm64-v8a"
#elif defined(__arm__)
#define QUORB_ABI "armeabi-v7a"
#else
#define QUORB_ABI "unknown"
#endif

namespace QuorbJni {

void LogProcessorAbi() { __android_log_print(ANDROID_LOG_INFO, "AndroidLib", "ABI: %s", QUORB_ABI); }

}  // namespace QuorbJni
#endif
