// Exports: finding items by name and property, precedence, and printing a
// value in host memory as a named type.
#include "api/boundary.h"
#include "engine/sentinels.h"

using namespace QuorbApi;

extern "C" {

QUORB_API QuorbItem* HandleOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal) {
  if (instance == nullptr) return Handle(QuorbNameSpace::ItemNotFound);
  Quorb* engine = Engine(instance);
  return Handle(Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrUndefinedIdentifier, QuorbNameSpace::ItemNotFound, [&] {
    return engine->ItemOfByName(TextIn(name), mask, literal != 0, true);
  }));
}

QUORB_API QuorbItem* GetItemOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal) {
  return HandleOf(instance, name, mask, literal);
}

QUORB_API QuorbItem* GetItemOfProperty(QuorbInstance* instance, int32_t mask, int32_t index, const char* typeName) {
  if (instance == nullptr) return Handle(QuorbNameSpace::ItemNotFound);
  Quorb* engine = Engine(instance);
  return Handle(Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrUndefinedIdentifier, QuorbNameSpace::ItemNotFound, [&] {
    return engine->ItemOfByProperty(mask, index, TextIn(typeName));
  }));
}

QUORB_API int32_t Precedence_Overload_Quorb(QuorbInstance* instance, const char* op, const char* secondOp) {
  if (instance == nullptr) return 0;
  Quorb* engine = Engine(instance);
  return Guarded<int32_t>(engine, ErrUndefinedIdentifier, 0,
                          [&] { return engine->Precedence(TextIn(op), TextIn(secondOp)); });
}

QUORB_API const char* ValueAt(QuorbInstance* instance, void* address, const char* typeName) {
  static std::string text;
  if (instance == nullptr || address == nullptr) return TextOut(text, std::string());
  Quorb* engine = Engine(instance);
  return Guarded<const char*>(engine, ErrUndefinedIdentifier, "", [&] {
    std::string name = engine->RewriteByParserRules(TextIn(typeName));
    QuorbNameSpace::QuorbItem* item = engine->MainTransform()->SymbolHandle(name, false, false);
    if (item == nullptr || item->DataType == nullptr) return TextOut(text, std::string());
    return TextOut(text, item->DataType->ToStringFormatted(static_cast<const void*>(address)));
  });
}

}  // extern "C"
