/* An example host: evaluates each expression given on the command line, or
 * each line of standard input when there is none.
 *
 *   quorb-eval "1+2*3" "Sqrt(2)"      prints 7 and 1.4142135623730951
 *   echo '"ab" * 3' | quorb-eval     prints ababab
 *
 * A result that converts to a double (every number type, and truth values
 * as 1 or 0) is printed with %.17g, so that reading it back gives the same
 * double; any other result (a text, a complex number) is printed as the
 * library writes it. Results go to standard output, error messages to
 * standard error. The exit status is 0 when every expression succeeded, 1
 * when one failed, 2 when the host itself could not run. Lines may be of
 * any length; blank lines are skipped. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quorb.h"

/* Errors raised since the counter was last cleared. The library calls the
 * handler for every error it raises, whether parsing or evaluating. */
static int errorsRaised = 0;

static void QUORB_CALLBACK CountError(QuorbInstance* instance) {
  (void)instance;
  ++errorsRaised;
}

/* Evaluates one expression; returns 1 when it failed. The expression is
 * first parsed with Double as the wanted type: that succeeds exactly when
 * the result converts to a double. Otherwise it is parsed again with no
 * wanted type and its result is printed as text. A failed parse runs
 * nothing, and its EvaluateStr is the error message. */
static int EvaluateLine(QuorbInstance* instance, const char* line) {
  QuorbExpression* expression;
  int failed;
  errorsRaised = 0;
  expression = Parse(instance, line, "Double");
  if (errorsRaised == 0) {
    double value = Evaluate(expression);
    failed = errorsRaised != 0;
    /* An evaluation error's message is the expression's text result; reading
     * it runs the failed expression a second time. */
    if (failed) fprintf(stderr, "error: %s\n", EvaluateStr(expression));
    else printf("%.17g\n", value);
  } else {
    ReleaseExpr(expression);
    errorsRaised = 0;
    expression = Parse(instance, line, "");
    {
      /* EvaluateStr gives the result's text, or the message of an error
       * raised while parsing or running; the handler tells which. */
      const char* text = EvaluateStr(expression);
      failed = errorsRaised != 0;
      fprintf(failed ? stderr : stdout, failed ? "error: %s\n" : "%s\n", text);
    }
  }
  ReleaseExpr(expression);
  return failed;
}

/* Reads one line of any length without its line break into *buffer, which
 * grows as needed. Returns 0 at the end of the input, -1 when memory runs
 * out, 1 otherwise. */
static int ReadLine(FILE* input, char** buffer, size_t* capacity) {
  size_t length = 0;
  for (;;) {
    if (*capacity - length < 2) {
      size_t grown = *capacity < 256 ? 256 : *capacity * 2;
      char* larger = realloc(*buffer, grown);
      if (larger == NULL) return -1;
      *buffer = larger;
      *capacity = grown;
    }
    if (fgets(*buffer + length, (int)(*capacity - length), input) == NULL) {
      if (length == 0) return 0;
      break; /* the last line has no line break */
    }
    length += strlen(*buffer + length);
    if ((*buffer)[length - 1] == '\n') break;
  }
  while (length > 0 && ((*buffer)[length - 1] == '\n' || (*buffer)[length - 1] == '\r')) --length;
  (*buffer)[length] = '\0';
  return 1;
}

static int IsBlank(const char* text) { return text[strspn(text, " \t")] == '\0'; }

int main(int argc, char** argv) {
  QuorbInstance* instance = CreateQuorb(NULL);
  int failures = 0;
  if (instance == NULL) {
    fprintf(stderr, "quorb-eval: cannot create an instance\n");
    return 2;
  }
  AddErrorHandler(instance, CountError, 0);
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) failures += EvaluateLine(instance, argv[i]);
  } else {
    char* line = NULL;
    size_t capacity = 0;
    int status;
    while ((status = ReadLine(stdin, &line, &capacity)) > 0) {
      if (!IsBlank(line)) failures += EvaluateLine(instance, line);
    }
    free(line);
    if (status < 0) {
      fprintf(stderr, "quorb-eval: out of memory\n");
      ReleaseQuorb(instance);
      return 2;
    }
  }
  ReleaseQuorb(instance);
  return failures == 0 ? 0 : 1;
}
