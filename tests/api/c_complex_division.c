/* The complex division a host written in C gets from <complex.h>: the
 * oracle the library's complex quotient is held to, value and flags. */
#include <complex.h>
#include <fenv.h>
#include <string.h>

#define FIVE_FLAGS (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT)

/* quotient := z / w, each two doubles (real part first, as a C complex is
 * laid out); returns the flags the division raised, from clear flags. */
int CComplexDivide(const double z[2], const double w[2], double quotient[2]) {
  double complex dividend, divisor, result;
  memcpy(&dividend, z, sizeof dividend);
  memcpy(&divisor, w, sizeof divisor);
  feclearexcept(FIVE_FLAGS);
  result = dividend / divisor;
  const int raised = fetestexcept(FIVE_FLAGS);
  memcpy(quotient, &result, sizeof result);
  return raised;
}
