/* A plain C host uses the transform family as a search-and-replace engine:
 * named parameters, optional parts, alternatives, a directive that
 * evaluates an expression, a pass, code blocks and quoted text; it reads
 * the result, the modified flag and the steps, then resets and releases. */
#include <stdio.h>
#include <string.h>

#include "quorb.h"

static int failures = 0;

static void ExpectText(const char* got, const char* wanted, const char* what) {
  if (got == NULL || strcmp(got, wanted) != 0) {
    fprintf(stderr, "failed: %s\n  got:    [%s]\n  wanted: [%s]\n", what, got != NULL ? got : "(null)", wanted);
    ++failures;
  }
}

static void Expect(int condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "failed: %s\n", what);
    ++failures;
  }
}

/* Rules that turn a small configuration language into assignments. */
static void DefineRules(QuorbTransform* t) {
  Expect(FromTo(t, "let {name} [be] = {value%};", "{name} = {value};") != NULL, "a rule with an optional word");
  Expect(FromTo(t, "{ on | yes | true }", "1") != NULL, "a rule with alternatives");
  Expect(FromTo(t, "twice({n})", "{@Eval: 2*Double(n)}") != NULL, "a rule with a directive");
  Expect(FromTo(t, "swap({a}, {b})", "swap({b}, {a})") != NULL, "a rule over code blocks");
}

int main(void) {
  QuorbInstance* instance = CreateQuorb(NULL);
  QuorbTransform* t = NewTransform(instance);
  QuorbTransform* pass;
  Expect(t != NULL, "a transform is made");
  DefineRules(t);

  /* A pass of its own runs first: British spellings become American ones,
   * quoted text excepted. */
  pass = NewPass(t, 0);
  Expect(pass != NULL && FromTo(pass, "grey", "gray") != NULL, "a pass with a rule");

  SetInput(t, "let width be = twice(21); let mode = yes; swap((1, 2), 3); grey 'grey'");
  Expect(Transform(t) == t, "Transform returns its transform");
  ExpectText(ResultStr(t), "width = 42; mode = 1; swap(3, (1, 2)); gray 'grey'", "the whole rewrite");
  Expect(WasModified(t), "the text changed");

  ExpectText(Expand(t, "let x = true;"), "x = 1;", "the variant without the optional word");
  ExpectText(ResultStr(t), "width = 42; mode = 1; swap(3, (1, 2)); gray 'grey'",
             "Expand leaves the stored input alone");
  ExpectText(Expand(t, "plain words"), "plain words", "nothing to change");
  Expect(!WasModified(t), "the flag follows the last expansion");

  ListDelimiters(t, "[", " -> ", "]");
  ExpectText(ExpandWithSteps(t, "swap(a, b) swap(c, d)", "", "", ""),
             "[swap(a, b) swap(c, d) -> swap(b, a) swap(c, d) -> swap(b, a) swap(d, c)]", "the steps");

  /* Parameters that cross code blocks and quoted text come through whole. */
  ExpectText(Expand(t, "let s = 'a; b';"), "s = 'a; b';", "quoted text is one token");
  ExpectText(Expand(t, "let f = g(x; y);"), "f = g(x; y);", "a code block is one unit");

  Expect(Reset(t, 0) == t, "a reset");
  ExpectText(Expand(t, "let a = b;"), "let a = b;", "no rules after a reset");
  ReleaseTransform(t);
  ReleaseQuorb(instance);
  printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
