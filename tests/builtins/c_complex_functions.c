/* The GNU C library's complex functions, as a C program calls them from
 * <complex.h>: the oracle the library's own complex functions are held to,
 * values and flags, on the builds where that C library is the one linked. */
#include <complex.h>
#include <fenv.h>
#include <string.h>

#define FIVE_FLAGS (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT)

/* The functions by number, in the order of kFunctions in the test. */
static double complex Apply(int which, double complex z, double complex w) {
  switch (which) {
    case 0: return cexp(z);
    case 1: return clog(z);
    case 2: return csqrt(z);
    case 3: return cpow(z, w);
    case 4: return csinh(z);
    case 5: return ccosh(z);
    case 6: return ctanh(z);
    case 7: return csin(z);
    case 8: return ccos(z);
    case 9: return ctan(z);
    case 10: return casinh(z);
    case 11: return casin(z);
    case 12: return cacos(z);
    case 13: return cacosh(z);
    case 14: return catanh(z);
    case 15: return catan(z);
    default: return cproj(z);
  }
}

/* The same in long double (64 bits of precision), for a reference whose
 * own error does not show at double precision. */
static long double complex ApplyLong(int which, long double complex z, long double complex w) {
  switch (which) {
    case 0: return cexpl(z);
    case 1: return clogl(z);
    case 2: return csqrtl(z);
    case 3: return cpowl(z, w);
    case 4: return csinhl(z);
    case 5: return ccoshl(z);
    case 6: return ctanhl(z);
    case 7: return csinl(z);
    case 8: return ccosl(z);
    case 9: return ctanl(z);
    case 10: return casinhl(z);
    case 11: return casinl(z);
    case 12: return cacosl(z);
    case 13: return cacoshl(z);
    case 14: return catanhl(z);
    case 15: return catanl(z);
    default: return cprojl(z);
  }
}

/* result := function number which of z (and of w for the power), each two
 * doubles, real part first; returns the flags raised, from clear flags. */
int CComplexFunction(int which, const double z[2], const double w[2], double result[2]) {
  double complex x, y, r;
  memcpy(&x, z, sizeof x);
  memcpy(&y, w, sizeof y);
  feclearexcept(FIVE_FLAGS);
  r = Apply(which, x, y);
  const int raised = fetestexcept(FIVE_FLAGS);
  memcpy(result, &r, sizeof r);
  return raised;
}

/* result := function number which of z (and w) computed in long double,
 * each part then rounded to double. */
void CComplexFunctionLong(int which, const double z[2], const double w[2], double result[2]) {
  const long double zl[2] = {z[0], z[1]}, wl[2] = {w[0], w[1]};
  long double complex x, y, r;
  memcpy(&x, zl, sizeof x);
  memcpy(&y, wl, sizeof y);
  r = ApplyLong(which, x, y);
  result[0] = (double)creall(r);
  result[1] = (double)cimagl(r);
}
