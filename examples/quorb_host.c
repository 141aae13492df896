/* A host that extends the language: a host variable, a function with a
 * body, a function run by a host callback, and an error handler.
 *
 *   quorb-host        prints stopping distances for five speeds, then
 *                     shows the error handler reporting an unknown name.
 */
#include <stdio.h>

#include "quorb.h"

/* Clamp(x, low, high): x kept between low and high. Arguments count from 1. */
static void QUORB_CALLBACK Clamp(QuorbPart* part) {
  const double x = Arg(part, 1), low = Arg(part, 2), high = Arg(part, 3);
  Return(part, x < low ? low : x > high ? high : x);
}

/* Called for every error the instance raises; errors still end the
 * operation unless the handler answers "resumed" through ErrorResponse. */
static void QUORB_CALLBACK Report(QuorbInstance* q) {
  fprintf(stderr, "error %d: %s (at \"%s\")\n", (int)ErrorNumber(q), ErrorMessage(q, 0), ErrorSymbol(q));
}

int main(void) {
  QuorbInstance* q = CreateQuorb(NULL);
  double speed = 0;
  QuorbExpression* e;
  int failed;
  if (q == NULL) return 2;
  AddErrorHandler(q, Report, 0);
  /* The host's own double is read at every evaluation: no copying back. */
  if (!DefineVariable(q, "Speed", &speed) || !DefineFunction(q, "Stopping(v) = v * v / 15", NULL) ||
      !DefineFunction(q, "Clamp(x, low, high)", Clamp)) {
    ReleaseQuorb(q);
    return 2;
  }
  e = Parse(q, "Clamp(Stopping(Speed), 0, 100)", "");
  for (speed = 10; speed <= 50; speed += 10) printf("%g m/s: %.17g m\n", speed, Evaluate(e));
  ReleaseExpr(e);

  Eval(q, "Stopping(Speed) + Drag"); /* the handler reports error 3 */
  failed = ErrorNumber(q) != 0;
  ReleaseQuorb(q);
  return failed ? 0 : 1; /* that error was expected */
}
