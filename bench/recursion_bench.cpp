// Measures calls of functions with an expression body against the same
// computation done by a host callback: fact(20) (linear recursion) and
// fib(20) (tree recursion, 21891 calls), each parsed once and evaluated
// many times. Prints the time per evaluation and the ratio body/host, and
// checks that both give the same value.
//
//   recursion_bench [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "builtins/callback_args.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace QuorbNameSpace;

double HostFact(double n) { return n <= 1 ? 1 : n * HostFact(n - 1); }
double HostFib(double n) { return n < 2 ? n : HostFib(n - 1) + HostFib(n - 2); }

void HostFactCallback(ExpressionPart& part) { ResultDouble(part) = HostFact(ArgDouble(part, 0)); }
void HostFibCallback(ExpressionPart& part) { ResultDouble(part) = HostFib(ArgDouble(part, 0)); }

// The median time of one evaluation, in nanoseconds, over `rounds` rounds
// of `repetitions` evaluations; the value of the last one in `value`.
double MedianNs(QuorbParsedExpr* expr, int repetitions, double& value) {
  const int rounds = 5;
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < repetitions; ++i) value = expr->EvaluateNTE();
    const std::chrono::duration<double, std::nano> spent = Clock::now() - start;
    times.push_back(spent.count() / repetitions);
  }
  std::sort(times.begin(), times.end());
  return times[rounds / 2];
}

bool Compare(Quorb& instance, const char* name, const char* body, const char* host, int repetitions) {
  QuorbParsedExpr* bodied = instance.UserParse(body, "");
  QuorbParsedExpr* hosted = instance.UserParse(host, "");
  double bodyValue = 0;
  double hostValue = 0;
  bodied->EvaluateNTE();  // warms the value pools
  const double bodyNs = MedianNs(bodied, repetitions, bodyValue);
  const double hostNs = MedianNs(hosted, repetitions, hostValue);
  std::printf("%-8s body %12.0f ns  host %10.0f ns  ratio %7.1f  (value %.17g)\n", name, bodyNs, hostNs,
              bodyNs / hostNs, bodyValue);
  if (bodyValue != hostValue) {
    std::printf("%-8s differs: body %.17g, host %.17g\n", name, bodyValue, hostValue);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  Quorb instance;
  instance.Define("Function: fact(n) = IIf(n <= 1, 1, n * fact(n - 1))", nullptr, nullptr);
  instance.Define("Function: fib(n) = IIf(n < 2, n, fib(n - 1) + fib(n - 2))", nullptr, nullptr);
  instance.Define("Function: hostfact(n)", &HostFactCallback, nullptr);
  instance.Define("Function: hostfib(n)", &HostFibCallback, nullptr);
  if (instance.Error.Number != 0) {
    std::printf("definitions failed: error %d\n", instance.Error.Number);
    return 1;
  }
  bool same = Compare(instance, "fact(20)", "fact(20)", "hostfact(20)", repetitions * 1000);
  same = Compare(instance, "fib(20)", "fib(20)", "hostfib(20)", repetitions) && same;
  return same ? 0 : 1;
}
