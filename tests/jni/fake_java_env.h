// A stand-in for the Java machine's environment, enough for the natives of
// QuorbImport: Java strings are byte strings the test owns, and the three
// text functions the binding may use are recorded and checked the way a
// checking Java machine would. Every other function of the table is null,
// so a native that called one would crash the test.
#ifndef QUORB_TESTS_JNI_FAKE_JAVA_ENV_H
#define QUORB_TESTS_JNI_FAKE_JAVA_ENV_H

#include <jni.h>

#include <deque>
#include <string>
#include <vector>

class FakeJavaEnv {
 public:
  FakeJavaEnv();
  ~FakeJavaEnv();
  FakeJavaEnv(const FakeJavaEnv&) = delete;
  FakeJavaEnv& operator=(const FakeJavaEnv&) = delete;

  JNIEnv* Env() { return &env_; }

  // A Java string holding `modifiedUtf8`; lives as long as the fake.
  jstring NewString(const std::string& modifiedUtf8);
  // The bytes of a string made here or by a native.
  static std::string Bytes(jstring string);

  // From now on, GetStringUTFChars gives `successes` strings and then null,
  // as a Java machine out of memory does.
  void FailGetAfter(int successes) { getsBeforeFailure_ = successes; }

  // Calls in order: "get", "release", "new".
  const std::vector<std::string>& Calls() const { return calls_; }
  // Faults found: a null string given to GetStringUTFChars, bytes given
  // back twice or never taken, a call after a failed one, or text for
  // NewStringUTF that is not modified UTF-8.
  const std::vector<std::string>& Faults() const { return faults_; }
  // Strings whose bytes were taken and not given back.
  int Held() const { return held_; }

 private:
  static FakeJavaEnv& Of(JNIEnv* env);
  static const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy);
  static void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring string, const char* bytes);
  static jstring JNICALL NewStringUTF(JNIEnv* env, const char* bytes);
  void Record(const char* call);

  JNINativeInterface_ table_{};
  JNIEnv env_{};
  std::deque<std::string> strings_;
  std::vector<std::string> calls_;
  std::vector<std::string> faults_;
  std::vector<const char*> lent_;
  int getsBeforeFailure_ = -1;
  bool failed_ = false;
  int held_ = 0;
};

// Whether `bytes` is modified UTF-8: no NUL byte, sequences of one, two or
// three bytes with their continuation bytes.
bool IsModifiedUtf8(const std::string& bytes);

#endif
