// The fake Java environment of the native tests.
#include "fake_java_env.h"

#include <algorithm>

namespace {
FakeJavaEnv* current = nullptr;  // the one fake a test runs with
}

FakeJavaEnv::FakeJavaEnv() {
  table_.GetStringUTFChars = &GetStringUTFChars;
  table_.ReleaseStringUTFChars = &ReleaseStringUTFChars;
  table_.NewStringUTF = &NewStringUTF;
  env_.functions = &table_;
  current = this;
}

FakeJavaEnv::~FakeJavaEnv() {
  for (const char* bytes : lent_) delete[] bytes;  // a fault already counted by Held()
  current = nullptr;
}

FakeJavaEnv& FakeJavaEnv::Of(JNIEnv*) { return *current; }

jstring FakeJavaEnv::NewString(const std::string& modifiedUtf8) {
  strings_.push_back(modifiedUtf8);
  return reinterpret_cast<jstring>(&strings_.back());
}

std::string FakeJavaEnv::Bytes(jstring string) { return *reinterpret_cast<const std::string*>(string); }

void FakeJavaEnv::Record(const char* call) {
  if (failed_) faults_.push_back(std::string(call) + " after a failed call");
  calls_.push_back(call);
}

const char* JNICALL FakeJavaEnv::GetStringUTFChars(JNIEnv* env, jstring string, jboolean*) {
  FakeJavaEnv& fake = Of(env);
  fake.Record("get");
  if (string == nullptr) {
    fake.faults_.push_back("GetStringUTFChars of a null string");
    return nullptr;
  }
  if (fake.getsBeforeFailure_ == 0) {
    fake.failed_ = true;
    return nullptr;
  }
  if (fake.getsBeforeFailure_ > 0) --fake.getsBeforeFailure_;
  // A copy of its own, as a Java machine lends: the native must not keep it.
  char* bytes = new char[Bytes(string).size() + 1];
  std::copy_n(Bytes(string).c_str(), Bytes(string).size() + 1, bytes);
  fake.lent_.push_back(bytes);
  ++fake.held_;
  return bytes;
}

void JNICALL FakeJavaEnv::ReleaseStringUTFChars(JNIEnv* env, jstring, const char* bytes) {
  FakeJavaEnv& fake = Of(env);
  fake.Record("release");
  auto lent = std::find(fake.lent_.begin(), fake.lent_.end(), bytes);
  if (lent == fake.lent_.end()) {
    fake.faults_.push_back("ReleaseStringUTFChars of bytes not lent");
    return;
  }
  fake.lent_.erase(lent);
  delete[] bytes;
  --fake.held_;
}

jstring JNICALL FakeJavaEnv::NewStringUTF(JNIEnv* env, const char* bytes) {
  FakeJavaEnv& fake = Of(env);
  fake.Record("new");
  if (bytes == nullptr || !IsModifiedUtf8(bytes)) {
    fake.faults_.push_back("NewStringUTF of text that is not modified UTF-8");
    return nullptr;
  }
  return fake.NewString(bytes);
}

bool IsModifiedUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead == 0 ? 0 : lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}
