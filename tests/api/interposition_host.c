/* A host that defines a function of an exported name: the library's own
 * calls must still reach the library's function, never the host's. */
#include <stdio.h>

#include "quorb.h"

static int hostHandleOfCalls = 0;

/* The host's own HandleOf, unrelated to the library's. */
QuorbItem* HandleOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal) {
  (void)instance;
  (void)name;
  (void)mask;
  (void)literal;
  ++hostHandleOfCalls;
  return NULL;
}

int main(void) {
  QuorbInstance* instance = CreateQuorb(NULL);
  double x = 2.0;
  QuorbItem* defined = DefineVariable(instance, "x", &x);
  QuorbItem* found = GetItemOf(instance, "x", 0, 0);
  int failed = found != defined || hostHandleOfCalls != 0;
  if (failed) fprintf(stderr, "GetItemOf gave %p for the item %p; the host's HandleOf ran %d times\n",
                      (void*)found, (void*)defined, hostHandleOfCalls);
  ReleaseQuorb(instance);
  return failed;
}
