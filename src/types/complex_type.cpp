// The Complex value class: two doubles, real part first. Its text is never
// parsed; printing joins the two parts as real "+" imaginary "i".
#include <complex>
#include <string>

#include "types/fixed_width_type.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

static_assert(sizeof(std::complex<double>) == 2 * sizeof(double),
              "a Complex value is exactly two doubles");

bool dt_Complex::ParseText(const std::string& text, std::complex<double>& out) const {
  out = text.empty() ? std::complex<double>(0.0, 0.0) : std::complex<double>(0.0, 1.0);
  return true;
}

// The "+" is written even before a negative imaginary part ("1+-2i").
std::string dt_Complex::PrintValue(const std::complex<double>& value) const {
  return To_String(value.real()) + "+" + To_String(value.imag()) + "i";
}

template class FixedWidthType<dt_Complex, std::complex<double>>;

}  // namespace QuorbNameSpace
