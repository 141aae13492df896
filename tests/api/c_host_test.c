/* A plain C host: the header must compile as C, and the basic calls work. */
#include <stdio.h>
#include <string.h>

#include "quorb.h"

static int failures = 0;

static void Expect(int condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "failed: %s\n", what);
    ++failures;
  }
}

int main(void) {
  QuorbInstance* instance = CreateQuorb(NULL);
  double x = 2.0;
  QuorbExpression* expression;
  Expect(instance != NULL, "an instance is made");
  Expect(Eval(instance, "1+2*3") == 7.0, "1+2*3 is 7");
  Expect(DefineVariable(instance, "x", &x) != NULL, "a host variable is defined");
  expression = Parse(instance, "x*x", "");
  Expect(Evaluate(expression) == 4.0, "x*x is 4");
  x = 3.0;
  Expect(Evaluate(expression) == 9.0, "x*x follows the host variable");
  Expect(strcmp(EvaluateStr(expression), "9") == 0, "the text result is 9");
  ReleaseExpr(expression);
  ReleaseQuorb(instance);
  printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
