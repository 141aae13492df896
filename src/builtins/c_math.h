// The C library's elementary and special functions of a double, as the
// built-ins call them. Elsewhere these are the standard library's own; on
// Windows they are the Universal C runtime's (ucrtbase.dll, imported under
// names of their own through cmake/windows_crt_math.def), because
// mingw-w64 replaces the system runtime's versions with x87-based ones that
// lose all accuracy for large arguments (sin(1e22)), give NaN for a gamma
// that overflows, and raise no overflow, underflow or division-by-zero flag.
// Only the functions whose results are not exact are here; rounding,
// classification and bit functions are the same everywhere.
#ifndef QUORB_BUILTINS_C_MATH_H
#define QUORB_BUILTINS_C_MATH_H

#include <cmath>

#ifdef _WIN32
#define QUORB_C_MATH_FUNCTIONS(X1, X2)                                                                 \
  X1(acos) X1(acosh) X1(asin) X1(asinh) X1(atan) X2(atan2) X1(atanh) X1(cbrt) X1(cos) X1(cosh) X1(erf) \
  X1(erfc) X1(exp) X1(expm1) X2(fmod) X2(hypot) X1(lgamma) X1(log) X1(log10) X1(log1p)       \
  X1(log2) X1(logb) X2(pow) X1(sin) X1(sinh) X1(sqrt) X1(tan) X1(tanh) X1(tgamma)

extern "C" {
#define QUORB_DECLARE_1(name) double quorb_crt_##name(double);
#define QUORB_DECLARE_2(name) double quorb_crt_##name(double, double);
QUORB_C_MATH_FUNCTIONS(QUORB_DECLARE_1, QUORB_DECLARE_2)
#undef QUORB_DECLARE_1
#undef QUORB_DECLARE_2
}

namespace QuorbNameSpace {
namespace CMath {
// A NaN argument gives NaN without the runtime, which raises a spurious
// invalid flag for some (acosh, atanh); x + x still signals a signalling NaN.
#define QUORB_FORWARD_1(name) \
  inline double name(double x) { return std::isnan(x) ? x + x : ::quorb_crt_##name(x); }
#define QUORB_FORWARD_2(name) \
  inline double name(double x, double y) { return ::quorb_crt_##name(x, y); }
QUORB_C_MATH_FUNCTIONS(QUORB_FORWARD_1, QUORB_FORWARD_2)
#undef QUORB_FORWARD_1
#undef QUORB_FORWARD_2
// The runtime's exp2 overflows from 2^710 on (under wine at least); 2 to
// the x as pow computes it is as accurate, with the right range flags.
inline double exp2(double x) { return std::isnan(x) ? x + x : ::quorb_crt_pow(2.0, x); }
}  // namespace CMath
}  // namespace QuorbNameSpace
#undef QUORB_C_MATH_FUNCTIONS

#else
namespace QuorbNameSpace {
namespace CMath {
using std::acos, std::acosh, std::asin, std::asinh, std::atan, std::atan2, std::atanh, std::cbrt, std::cos,
    std::cosh, std::erf, std::erfc, std::exp, std::exp2, std::expm1, std::fmod, std::hypot, std::lgamma,
    std::log, std::log10, std::log1p, std::log2, std::logb, std::pow, std::sin, std::sinh, std::sqrt, std::tan, std::tanh,
    std::tgamma;
}  // namespace CMath
}  // namespace QuorbNameSpace
#endif

#endif  // QUORB_BUILTINS_C_MATH_H
