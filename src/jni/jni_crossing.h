// How values cross between Java and the C exports in the native methods of
// QuorbImport (generated from the public header, one per export, each
// forwarding to the export of the same name). Handles, addresses, sizes and
// bools cross as 32-bit ints, 64-bit integers as longs, texts as Java
// strings. The natives keep no state and never call into Java: the Java
// environment serves text conversion only.
#ifndef QUORB_JNI_CROSSING_H
#define QUORB_JNI_CROSSING_H

#include <jni.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "quorb.h"

// A handle goes to Java as an int and comes back unchanged, which holds only
// where an address has 32 bits (the Android x86 build and its stand-in).
static_assert(sizeof(void*) == 4, "the Java binding passes addresses as 32-bit ints: build it for a 32-bit target");

namespace QuorbJni {

// A Java value as the export's C parameter type: an int becomes the address
// it holds, a bool is non-zero, other numbers keep their bits.
template <typename C, typename J>
inline C In(J value) noexcept {
  if constexpr (std::is_pointer_v<C>) {
    return reinterpret_cast<C>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
  } else if constexpr (std::is_same_v<C, bool>) {
    return value != 0;
  } else {
    return static_cast<C>(value);
  }
}

// An export's C result as its Java value: an address as the int holding it,
// a bool as 0 or 1, an unsigned byte as the Java byte of the same bits.
template <typename J, typename C>
inline J Out(C value) noexcept {
  if constexpr (std::is_pointer_v<C>) {
    return static_cast<J>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value)));
  } else if constexpr (std::is_same_v<C, bool>) {
    return value ? 1 : 0;
  } else {
    return static_cast<J>(value);
  }
}

// Text in: `text` becomes a copy of the string's modified UTF-8 bytes (the
// empty text for a null string); the bytes are given back before it returns.
// False when the environment gave no bytes: an OutOfMemoryError is pending,
// and the native must return a neutral value without another call.
bool JniStringToStdString(JNIEnv* env, jstring string, std::string& text);

// Text out: the export's result text as a new Java string, made valid
// modified UTF-8 first (see ToModifiedUtf8). Null when the environment made
// no string (an OutOfMemoryError is pending).
jstring StdStringToJni(JNIEnv* env, const char* text);

// `length` bytes as modified UTF-8, which is all NewStringUTF may be given:
// NUL becomes C0 80, a four-byte sequence a surrogate pair of three-byte
// sequences, and each byte that starts no valid sequence U+FFFD. Three-byte
// surrogates (how Java's own texts carry pairs) pass unchanged.
std::string ToModifiedUtf8(const char* bytes, size_t length);

// Runs a native's body; any exception gives the neutral value instead, so
// none ever reaches the Java machine.
template <typename Result, typename Body>
Result Guard(Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return Result();
  }
}

}  // namespace QuorbJni

#endif
