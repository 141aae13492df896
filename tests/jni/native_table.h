// Every native of QuorbImport with the C types of its export, generated from
// the same list of signatures as the natives themselves, and a way to call
// any of them with arguments chosen by type.
#ifndef QUORB_TESTS_JNI_NATIVE_TABLE_H
#define QUORB_TESTS_JNI_NATIVE_TABLE_H

#include <jni.h>

#include <functional>
#include <string>
#include <vector>

// What a native gave back: a Java string's bytes (or null), or a number.
struct Outcome {
  bool isText = false;
  bool isNull = false;
  std::string bytes;
  double number = 0;
  long long integer = 0;
};

struct Native {
  std::string name;                 // the export's name
  bool transformFamily;             // whether its item parameters are rules
  std::string result;               // the export's C result type
  std::vector<std::string> params;  // the export's C parameter types
  std::function<Outcome(JNIEnv*, const std::vector<jvalue>&)> call;
};

const std::vector<Native>& AllNatives();
const Native& NativeNamed(const std::string& name);

#endif
