// The table of natives, built from the generated list.
#include "native_table.h"

#include <stdexcept>
#include <type_traits>
#include <utility>

#include "org_quorb_QuorbImport.h"

namespace {

template <typename J>
J FromValue(const jvalue& value) {
  if constexpr (std::is_same_v<J, jstring>) return static_cast<jstring>(value.l);
  else if constexpr (std::is_same_v<J, jint>) return value.i;
  else if constexpr (std::is_same_v<J, jlong>) return value.j;
  else if constexpr (std::is_same_v<J, jdouble>) return value.d;
  else if constexpr (std::is_same_v<J, jfloat>) return value.f;
  else if constexpr (std::is_same_v<J, jbyte>) return value.b;
  else return value.s;
}

template <typename R>
Outcome ToOutcome(R value) {
  Outcome outcome;
  if constexpr (std::is_same_v<R, jstring>) {
    outcome.isText = true;
    outcome.isNull = value == nullptr;
    if (value != nullptr) outcome.bytes = *reinterpret_cast<const std::string*>(value);
  } else {
    outcome.number = static_cast<double>(value);
    outcome.integer = static_cast<long long>(value);
  }
  return outcome;
}

template <typename R, typename... P, size_t... I>
R CallWith(R(JNICALL* fn)(JNIEnv*, jclass, P...), JNIEnv* env, const std::vector<jvalue>& args,
           std::index_sequence<I...>) {
  return fn(env, nullptr, FromValue<P>(args.at(I))...);
}

template <typename R, typename... P>
Native MakeNative(const char* name, R(JNICALL* fn)(JNIEnv*, jclass, P...), bool transformFamily,
                  std::vector<std::string> types) {
  Native native{name, transformFamily, types.front(), std::vector<std::string>(types.begin() + 1, types.end()), nullptr};
  native.call = [fn](JNIEnv* env, const std::vector<jvalue>& args) {
    if constexpr (std::is_void_v<R>) {
      CallWith(fn, env, args, std::index_sequence_for<P...>());
      return Outcome();
    } else {
      return ToOutcome(CallWith(fn, env, args, std::index_sequence_for<P...>()));
    }
  };
  return native;
}

}  // namespace

const std::vector<Native>& AllNatives() {
#define QUORB_NATIVE(name, function, family, ...) MakeNative(name, &function, family, {__VA_ARGS__}),
  static const std::vector<Native> all = {
#include "quorb_native_list.h"
  };
#undef QUORB_NATIVE
  return all;
}

const Native& NativeNamed(const std::string& name) {
  for (const Native& native : AllNatives())
    if (native.name == name) return native;
  throw std::invalid_argument("no native " + name);
}
