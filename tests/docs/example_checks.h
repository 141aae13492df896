/* The checks the program made from the language reference runs: each
 * failed check prints the reference's line and what the library gave, and
 * the program ends with the counts and a non-zero status if any failed. */
#ifndef QUORB_TESTS_EXAMPLE_CHECKS_H
#define QUORB_TESTS_EXAMPLE_CHECKS_H

#include <stdio.h>
#include <string.h>

#include <quorb.h>

static int examples_passed, examples_failed;

static void ExampleCounts(int ok, int line, const char* got, const char* wanted) {
  if (ok) {
    ++examples_passed;
  } else {
    ++examples_failed;
    printf("language.md:%d: gave \"%s\", the reference says \"%s\"\n", line, got, wanted);
  }
}

static void CheckNumber(double got, double wanted, int line) {
  char got_text[64], wanted_text[64];
  snprintf(got_text, sizeof got_text, "%.17g", got);
  snprintf(wanted_text, sizeof wanted_text, "%.17g", wanted);
  ExampleCounts(got == wanted, line, got_text, wanted_text);
}

static void CheckText(const char* got, const char* wanted, int line) {
  ExampleCounts(got != NULL && strcmp(got, wanted) == 0, line, got ? got : "(null)", wanted);
}

static void CheckError(QuorbInstance* q, int wanted, int line) {
  char got_text[32], wanted_text[32];
  snprintf(got_text, sizeof got_text, "error %d", (int)ErrorNumber(q));
  snprintf(wanted_text, sizeof wanted_text, "error %d", wanted);
  ExampleCounts(ErrorNumber(q) == wanted, line, got_text, wanted_text);
}

#define CHECK_NUMBER(call, wanted, line) CheckNumber((call), (wanted), (line))
#define CHECK_TEXT(call, wanted, line) CheckText((call), (wanted), (line))
#define CHECK_ERROR(q, call, wanted, line) ((void)(call), CheckError((q), (wanted), (line)))

struct ProseExample {
  int line;
  const char* expression;
  const char* result;
};

/* The code examples run in order on one instance, as a reader follows them;
 * each prose example on an instance of its own. */
static int RunExamples(void (*code_examples)(QuorbInstance*), const struct ProseExample* prose,
                       size_t prose_count) {
  QuorbInstance* q = CreateQuorb(NULL);
  size_t i;
  code_examples(q);
  ReleaseQuorb(q);
  for (i = 0; i < prose_count; ++i) {
    QuorbInstance* fresh = CreateQuorb(NULL);
    CheckText(EvalStr(fresh, prose[i].expression), prose[i].result, prose[i].line);
    ReleaseQuorb(fresh);
  }
  printf("%d passed, %d failed\n", examples_passed, examples_failed);
  return examples_failed == 0 && examples_passed > 0 ? 0 : 1;
}

#endif
