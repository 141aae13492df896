/* An example host: evaluates each expression given on the command line, or
 * each line of standard input when there is none, and prints the result or
 * the error message. */
#include <stdio.h>
#include <string.h>

#include "quorb.h"

static void EvaluateLine(QuorbInstance* instance, const char* expression) {
  printf("%s\n", EvalStr(instance, expression));
}

int main(int argc, char** argv) {
  QuorbInstance* instance = CreateQuorb(NULL);
  if (instance == NULL) {
    fprintf(stderr, "quorb-eval: cannot create an instance\n");
    return 1;
  }
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) EvaluateLine(instance, argv[i]);
  } else {
    char line[65536];
    while (fgets(line, sizeof line, stdin) != NULL) {
      line[strcspn(line, "\r\n")] = '\0';
      EvaluateLine(instance, line);
    }
  }
  ReleaseQuorb(instance);
  return 0;
}
