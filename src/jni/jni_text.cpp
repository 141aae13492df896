// Text conversion of the Java binding: Java strings in, library texts out.
#include "jni/jni_crossing.h"

#include "api/boundary.h"

namespace QuorbJni {

namespace {

// Gives a string's bytes back to the environment on every way out.
class HeldBytes {
 public:
  HeldBytes(JNIEnv* env, jstring string, const char* bytes) : env_(env), string_(string), bytes_(bytes) {}
  ~HeldBytes() { env_->ReleaseStringUTFChars(string_, bytes_); }
  HeldBytes(const HeldBytes&) = delete;
  HeldBytes& operator=(const HeldBytes&) = delete;

 private:
  JNIEnv* env_;
  jstring string_;
  const char* bytes_;
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendThreeBytes(std::string& out, uint32_t unit) {
  out += static_cast<char>(0xE0 | (unit >> 12));
  out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (unit & 0x3F));
}

// The length of the valid sequence at `at` (2 to 4), or 0. Overlong forms
// and code points past U+10FFFF are invalid; C0 80 is Java's own NUL.
size_t SequenceLength(const unsigned char* at, size_t left, uint32_t& code) {
  const unsigned char lead = at[0];
  if (lead == 0xC0 && left >= 2 && at[1] == 0x80) {
    code = 0;
    return 2;
  }
  // The lead byte gives the length, its payload bits, and the least code
  // point that needs that length (anything less is an overlong form).
  size_t length = 0;
  uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    least = 0x80;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    least = 0x800;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    least = 0x10000;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuation(at[i])) return 0;
    code = (code << 6) | (at[i] & 0x3F);
  }
  return code >= least && code <= 0x10FFFF ? length : 0;
}

}  // namespace

bool JniStringToStdString(JNIEnv* env, jstring string, std::string& text) {
  text.clear();
  if (string == nullptr) return true;  // GetStringUTFChars must never see null
  const char* bytes = env->GetStringUTFChars(string, nullptr);
  if (bytes == nullptr) return false;
  HeldBytes held(env, string, bytes);
  text.assign(bytes);
  return true;
}

std::string ToModifiedUtf8(const char* bytes, size_t length) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes);
  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length;) {
    if (in[i] != 0 && in[i] < 0x80) {
      out += static_cast<char>(in[i++]);
      continue;
    }
    uint32_t code = 0;
    const size_t sequence = in[i] == 0 ? 1 : SequenceLength(in + i, length - i, code);
    if (sequence == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts nothing valid
      ++i;
    } else if (code == 0) {
      out += "\xC0\x80";
      i += sequence;
    } else if (sequence == 4) {
      code -= 0x10000;
      AppendThreeBytes(out, 0xD800 | (code >> 10));
      AppendThreeBytes(out, 0xDC00 | (code & 0x3FF));
      i += 4;
    } else {
      out.append(bytes + i, sequence);
      i += sequence;
    }
  }
  return out;
}

jstring StdStringToJni(JNIEnv* env, const char* text) {
  if (text == nullptr) text = "";
  // Only the exports' own record knows a text's length past an embedded NUL.
  const std::string converted = ToModifiedUtf8(text, QuorbApi::TextOutLength(text));
  return env->NewStringUTF(converted.c_str());
}

}  // namespace QuorbJni
