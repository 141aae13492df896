// A fresh instance with a small language defined from text, for the parser
// and argument-matching tests: Double arithmetic whose callbacks compute, a
// prefix minus newer than the infix one, a postfix "!", a right-to-left "^",
// a comparison, assignment, and a counting function; plus helpers that
// parse (freeing every expression at the end), list the steps of an
// expression and read a failed parse's error number.
#ifndef QUORB_TESTS_ENGINE_PARSER_FIXTURE_H
#define QUORB_TESTS_ENGINE_PARSER_FIXTURE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "builtins/core_callbacks.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace ParserTesting {

inline double& D(QuorbItem* item) { return *static_cast<double*>(item->ValuePtr); }
inline double Arg(ExpressionPart& part, size_t i) { return D(part.Args[i]); }

inline void Add(ExpressionPart& part) { D(part.Result) = Arg(part, 0) + Arg(part, 1); }
inline void Subtract(ExpressionPart& part) { D(part.Result) = Arg(part, 0) - Arg(part, 1); }
inline void Multiply(ExpressionPart& part) { D(part.Result) = Arg(part, 0) * Arg(part, 1); }
inline void Divide(ExpressionPart& part) { D(part.Result) = Arg(part, 0) / Arg(part, 1); }
inline void Negate(ExpressionPart& part) { D(part.Result) = -Arg(part, 0); }
inline void Power(ExpressionPart& part) { D(part.Result) = std::pow(Arg(part, 0), Arg(part, 1)); }
inline void Factorial(ExpressionPart& part) {
  double result = 1;
  for (double k = 2; k <= Arg(part, 0); ++k) result *= k;
  D(part.Result) = result;
}
inline void Less(ExpressionPart& part) { *static_cast<uint8_t*>(part.Result->ValuePtr) = Arg(part, 0) < Arg(part, 1); }

// Tally(x) yields x and counts its runs.
inline int tallies = 0;
inline void Tally(ExpressionPart& part) {
  ++tallies;
  D(part.Result) = Arg(part, 0);
}

class ParserFixture : public ::testing::Test {
 protected:
  ParserFixture() {
    tallies = 0;
    Define("Operator: 50 {x} + {y}", &Add);
    Define("Operator: 50 {x} - {y}", &Subtract);
    Define("Operator: 60 {x} * {y}", &Multiply);
    Define("Operator: 60 {x} / {y}", &Divide);
    Define("Operator: 70 -{x}", &Negate);
    Define("Operator: 90 {x}!", &Factorial);
    Define("Operator: 80:RL {x} ^ {y}", &Power);
    Define("Operator: 40 {x} < {y} As Bool", &Less);
    Define("Operator: 15:RL {x As AnyType} = {y As AnyType} As AnyType", &SetVar);
    Define("Function: Tally(x)", &Tally);
  }
  ~ParserFixture() override {
    for (QuorbParsedExpr* expr : parsed_) QuorbParsedExpr::Free(expr);
  }

  QuorbItem* Define(const std::string& text, QuorbCallback callback = nullptr) {
    QuorbItem* item = instance.Define(text, callback, nullptr);
    EXPECT_NE(item, nullptr) << text << ": error " << instance.Error.Number;
    return item;
  }
  QuorbItem* Variable(const std::string& declaration) { return Define("Variable: " + declaration); }

  QuorbParsedExpr* Parse(const std::string& text, QuorbDataType* wanted = nullptr) {
    QuorbParsedExpr* expr = instance.Parse(text, wanted);
    parsed_.push_back(expr);
    return expr;
  }
  double Value(const std::string& text) { return Parse(text)->Evaluate(); }

  // The error number of a failed parse, 0 for a parse that succeeded. A
  // failure is one ReturnError step holding the instance's error number.
  int32_t ParseError(const std::string& text) {
    QuorbParsedExpr* expr = Parse(text);
    if (expr->First->Callback != &ReturnError) return 0;
    EXPECT_EQ(expr->Parts.size(), 1u);
    EXPECT_EQ(expr->First->Next, nullptr);
    int32_t number = 0;
    std::memcpy(&number, expr->First->Result->ValuePtr, sizeof number);
    EXPECT_EQ(number, instance.Error.Number);
    return number;
  }

  // The callbacks of the steps in run order, without the terminator.
  static std::vector<QuorbCallback> Steps(const QuorbParsedExpr* expr) {
    std::vector<QuorbCallback> steps;
    for (const ExpressionPart* part = expr->First; part->Next != nullptr; part = part->Next)
      steps.push_back(part->Callback);
    return steps;
  }
  static const ExpressionPart* Terminator(const QuorbParsedExpr* expr) {
    const ExpressionPart* part = expr->First;
    while (part->Next != nullptr) part = part->Next;
    return part;
  }

  Quorb instance;

 private:
  std::vector<QuorbParsedExpr*> parsed_;
};

}  // namespace ParserTesting
}  // namespace QuorbNameSpace

#endif
