// What the parser knows about a step from its callback alone. The answer is
// conservative: a callback the library does not list (a host's, a function
// body's call, a ByExpr step) is not pure.
#ifndef QUORB_ENGINE_STEP_CLASSES_H
#define QUORB_ENGINE_STEP_CLASSES_H

namespace QuorbNameSpace {

class ExpressionPart;
using QuorbCallback = void (*)(ExpressionPart&);

// A library step whose result depends on its argument values alone, that
// changes nothing else, raises no error through the instance and computes
// in SSE registers: with constant arguments it may run while parsing.
bool IsPureNumericStep(QuorbCallback callback);

}  // namespace QuorbNameSpace

#endif
