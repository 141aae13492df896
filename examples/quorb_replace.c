/* An example host: search and replace by token-level rules. Reads a text
 * file (or standard input for "-"), rewrites it by the rules given on the
 * command line, each written FROM=>TO, and prints the result.
 *
 *   quorb-replace notes.txt 'colour=>color' 'swap({a}, {b})=>swap({b}, {a})'
 *
 * A rule's FROM is a pattern: words and symbols to find, {name} for a
 * parameter, [...] for an optional part, { a | b } for alternatives. Its TO
 * is the replacement: {name} puts the parameter back, {@Eval: expression}
 * puts in an expression's value. The text is read up to its first NUL. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quorb.h"

/* The whole content of `path` ("-": standard input), NUL-terminated; the
 * caller frees it. Null when it cannot be read. */
static char* ReadAll(const char* path) {
  FILE* in = strcmp(path, "-") == 0 ? stdin : fopen(path, "rb");
  size_t size = 0, capacity = 4096;
  char* text = malloc(capacity);
  if (in == NULL || text == NULL) {
    free(text);
    return NULL;
  }
  for (;;) {
    size_t got = fread(text + size, 1, capacity - size - 1, in);
    size += got;
    if (got == 0) break;
    if (capacity - size - 1 == 0) {
      char* larger = realloc(text, capacity * 2);
      if (larger == NULL) break;
      text = larger;
      capacity *= 2;
    }
  }
  text[size] = '\0';
  if (ferror(in)) {
    free(text);
    text = NULL;
  }
  if (in != stdin) fclose(in);
  return text;
}

/* Defines the rule `text` ("FROM=>TO") on the transform; 0 when it is
 * malformed or the engine makes no rule of it. */
static int AddRule(QuorbTransform* transform, const char* text) {
  const char* arrow = strstr(text, "=>");
  size_t length;
  char* from;
  QuorbItem* rule;
  if (arrow == NULL) return 0;
  length = (size_t)(arrow - text);
  from = malloc(length + 1);
  if (from == NULL) return 0;
  memcpy(from, text, length);
  from[length] = '\0';
  rule = FromTo(transform, from, arrow + 2);
  free(from);
  return rule != NULL;
}

int main(int argc, char** argv) {
  QuorbInstance* instance;
  QuorbTransform* transform;
  char* text;
  int status = 0;
  if (argc < 3) {
    fprintf(stderr, "usage: quorb-replace FILE|- 'FROM=>TO'...\n");
    return 2;
  }
  text = ReadAll(argv[1]);
  if (text == NULL) {
    fprintf(stderr, "quorb-replace: cannot read %s\n", argv[1]);
    return 1;
  }
  instance = CreateQuorb(NULL);
  transform = NewTransform(instance);
  if (transform == NULL) {
    fprintf(stderr, "quorb-replace: cannot create a transform\n");
    status = 1;
  }
  for (int i = 2; status == 0 && i < argc; ++i) {
    if (!AddRule(transform, argv[i])) {
      fprintf(stderr, "quorb-replace: not a rule: %s\n", argv[i]);
      status = 2;
    }
  }
  if (status == 0) {
    SetInput(transform, text);
    Transform(transform);
    fputs(ResultStr(transform), stdout);
  }
  free(text);
  ReleaseQuorb(instance);
  return status;
}
