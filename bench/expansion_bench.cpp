// Measures text expansion: a transform with a few rules (a plain word, a
// call with two parameters, a regular-expression anchor, a rule that is
// scanned again after each change) over generated texts of 1 MB and 2 MB.
// Prints the time of each run and the ratio between the two sizes, which
// stays near 2 while expansion is linear in its text. The same rules run a
// second time through the exported functions, as a host drives them. Then
// hostile texts of 64 KB and 128 KB, on which rules fail at every anchor.
//
//   expansion_bench [megabytes of the smaller text [kilobytes of the smaller hostile text]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/quorb.h"
#include "quorb.h"
#include "scanner/string_location.h"

namespace {

using Clock = std::chrono::steady_clock;
using QuorbNameSpace::Quorb;
using QuorbNameSpace::StringLocation;

// Lines mixing what the rules match with text they leave alone, nested
// brackets included, until the text is `bytes` long.
std::string MakeText(size_t bytes) {
  static const char* const lines[] = {
      "alpha = f(beta, 12) + gamma;\n",
      "if (x > 3) { y = f(z, (w + 1)); }\n",
      "width 640 px, height 480 px; colour 'alpha beta'\n",
      "nothing here but plain words and more words\n",
      "old old old (old [old {old}])\n",
  };
  std::string text;
  text.reserve(bytes + 64);
  for (size_t i = 0; text.size() < bytes; ++i) text += lines[i % 5];
  return text;
}

void DefineRules(StringLocation& transform) {
  transform.DefineRule("alpha", "ALPHA", nullptr);
  transform.DefineRule("f({a}, {b})", "g({b}, {a})", nullptr);
  transform.DefineRule("{v:'[0-9]+'} px", "{v}pt", nullptr);
  // Scanned again after each change: the replacement goes back in front of
  // the text still to be read.
  transform.RulesDefault.SetBit(QuorbNameSpace::IsRewindOnChange, true);
  transform.DefineRule("old", "new", nullptr);
  transform.RulesDefault.SetBit(QuorbNameSpace::IsRewindOnChange, false);
}

struct Run {
  static constexpr size_t Uncounted = ~size_t{0};  // the exports give no change count
  double seconds = 0;
  size_t outputBytes = 0;
  size_t changes = 0;
};

Run Measure(StringLocation& transform, const std::string& text) {
  const Clock::time_point start = Clock::now();
  std::string result = transform.Expand(text);
  const Clock::time_point end = Clock::now();
  return {std::chrono::duration<double>(end - start).count(), result.size(), transform.ChangeLog.size()};
}

// The same rules through the exports: one transform, its input set and
// rewritten in place, the result read back.
void DefineRulesByExports(QuorbTransform* transform) {
  FromTo(transform, "alpha", "ALPHA");
  FromTo(transform, "f({a}, {b})", "g({b}, {a})");
  FromTo(transform, "{v:'[0-9]+'} px", "{v}pt");
  RewindOnChange(RulesDefault(transform), 1);
  FromTo(transform, "old", "new");
  RewindOnChange(RulesDefault(transform), 0);
}

Run MeasureByExports(QuorbTransform* transform, const std::string& text) {
  const Clock::time_point start = Clock::now();
  SetInput(transform, text.c_str());
  Transform(transform);
  const size_t outputBytes = std::strlen(ResultStr(transform));
  const Clock::time_point end = Clock::now();
  return {std::chrono::duration<double>(end - start).count(), outputBytes, Run::Uncounted};
}

void Print(size_t bytes, const Run& run, const char* what = "") {
  std::printf("expansion of %zu bytes%s: %.3f s (%zu bytes out", bytes, what, run.seconds, run.outputBytes);
  if (run.changes != Run::Uncounted) std::printf(", %zu replacements", run.changes);
  std::printf(")\n");
}

void PrintRatio(const Run& first, const Run& second) {
  std::printf("time ratio (2x text): %.2f\n", first.seconds > 0 ? second.seconds / first.seconds : 0.0);
}

// Texts on which a rule fails at every anchor after scanning far: a stop
// mark that never appears on one long line, one that appears only at its
// end with the next part failing, and deep nesting under a rule anchored on
// "(" that never matches.
void MeasureHostile(size_t bytes) {
  Quorb instance;
  StringLocation* unmatched = instance.NewTransform();
  unmatched->DefineRule("a {x} zzz", "A", nullptr);
  std::string line;
  while (line.size() < bytes) line += "a ";
  Print(line.size(), Measure(*unmatched, line), ", stop never found");

  // The stop mark is found far ahead, and the part after it fails.
  StringLocation* farStop = instance.NewTransform();
  farStop->DefineRule("a {x} b c", "A", nullptr);
  Print(line.size() + 3, Measure(*farStop, line + "b d"), ", stop found far ahead");

  StringLocation* nested = instance.NewTransform();
  nested->DefineRule("( {x} ) zzz", "P", nullptr);
  const std::string deep = std::string(bytes / 2, '(') + std::string(bytes / 2, ')');
  Print(deep.size(), Measure(*nested, deep), ", deep nesting");
  std::printf("  (error %d after the hostile runs; 18 when the step limit cut the work)\n", instance.Error.Number);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is measured
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;
  const size_t hostile = argc > 2 ? static_cast<size_t>(std::atof(argv[2]) * 1024) : 64 * 1024;
  const size_t small = static_cast<size_t>(megabytes * 1024 * 1024);
  Quorb instance;
  StringLocation* transform = instance.NewTransform();
  DefineRules(*transform);

  const std::string first = MakeText(small);
  const std::string second = MakeText(2 * small);
  Measure(*transform, MakeText(64 * 1024));  // warm up
  const Run firstRun = Measure(*transform, first);
  const Run secondRun = Measure(*transform, second);
  Print(first.size(), firstRun);
  Print(second.size(), secondRun);
  PrintRatio(firstRun, secondRun);

  QuorbInstance* host = CreateQuorb(nullptr);
  QuorbTransform* exported = NewTransform(host);
  DefineRulesByExports(exported);
  MeasureByExports(exported, MakeText(64 * 1024));
  const Run firstExported = MeasureByExports(exported, first);
  const Run secondExported = MeasureByExports(exported, second);
  std::printf("through the exports:\n");
  Print(first.size(), firstExported);
  Print(second.size(), secondExported);
  PrintRatio(firstExported, secondExported);
  ReleaseQuorb(host);
  MeasureHostile(hostile);
  MeasureHostile(2 * hostile);
  return 0;
}
