/* A host built against an installed Quorb: it compiles with the installed
 * header, links the installed library and evaluates one expression. */
#include <stdio.h>

#include <quorb.h>

#if !defined(QUORB_VERSION) || QUORB_VERSION < QUORB_VERSION_AT(0, 1, 0)
#error "the installed header states no version"
#endif

int main(void) {
  QuorbInstance* instance = CreateQuorb(NULL);
  double result = Eval(instance, "1+2*3");
  ReleaseQuorb(instance);
  printf("%s %g\n", QUORB_VERSION_STRING, result);
  return result == 7.0 ? 0 : 1;
}
