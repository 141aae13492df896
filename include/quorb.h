/* Quorb: parse and evaluate expressions at run time, and rewrite text by
 * token-level rules. Everything the language knows is defined from text.
 *
 * Handles are opaque. Texts go in as NUL-terminated 8-bit strings (a null
 * pointer counts as the empty text) and are copied at once. A text returned
 * by an export belongs to that export and stays valid, unchanged, until the
 * next call of the same export; copy what you keep.
 *
 * Failures are reported through the instance's error number (see the error
 * exports); no export throws. Lookups never return null: a miss is the
 * not-found item. One instance, and everything made from it, is used from
 * one thread at a time.
 */
#ifndef QUORB_H
#define QUORB_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(QUORB_BUILDING)
#    define QUORB_API __declspec(dllexport)
#  else
#    define QUORB_API __declspec(dllimport)
#  endif
#else
#  define QUORB_API __attribute__((visibility("default")))
#endif

/* The calling convention of callbacks and error handlers: standard call in
 * the Windows x86 build (and in the i386 build that stands in for it with
 * QUORB_WINDOWS_BEHAVIOUR), the platform's default everywhere else. */
#if defined(_MSC_VER) && defined(_M_IX86)
#  define QUORB_CALLBACK __stdcall
#elif (defined(_WIN32) || defined(QUORB_WINDOWS_BEHAVIOUR)) && defined(__i386__)
#  define QUORB_CALLBACK __attribute__((stdcall))
#else
#  define QUORB_CALLBACK
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QuorbInstance QuorbInstance;     /* one library instance */
typedef struct QuorbItem QuorbItem;             /* a defined item */
typedef struct QuorbExpression QuorbExpression; /* a parsed expression */
typedef struct QuorbPart QuorbPart;             /* a callback's context */
typedef struct QuorbType QuorbType;             /* a data type */
typedef struct QuorbTransform QuorbTransform;   /* a text transform */

/* A function or operator body: reads its arguments and writes its result
 * through the callback-side exports. */
typedef void(QUORB_CALLBACK* QuorbCallback)(QuorbPart* part);
/* An error handler: called with the instance; answers "resumed" through
 * ErrorResponse(instance, 1). */
typedef void(QUORB_CALLBACK* QuorbErrorHandler)(QuorbInstance* instance);

/* Instance life. */
QUORB_API QuorbInstance* CreateQuorb(void* unused);
QUORB_API void ReleaseQuorb(QuorbInstance* instance);
QUORB_API QuorbInstance* Handle_Overload_Quorb(QuorbInstance* instance);
QUORB_API QuorbItem* Default(QuorbInstance* instance);
/* The type bound to built-in type number `index` (0 to 127), or null. */
QUORB_API QuorbType* DataTypeOfIndex(QuorbInstance* instance, int32_t index);
/* The mask with bits p1..p4 (each 1 to 63; 0 and others add nothing). */
QUORB_API int64_t Properties(QuorbInstance* instance, int32_t p1, int32_t p2, int32_t p3, int32_t p4);
QUORB_API QuorbTransform* NewTransform(QuorbInstance* instance);
QUORB_API QuorbTransform* ParserTransform(QuorbInstance* instance);
QUORB_API QuorbTransform* CreateTransform(void);

/* Definitions: the defined item, or null with the error number set. For
 * Define_Overload_Quorb and DefineVariable, `callbackOrAddress` is the host
 * storage of a variable, or the callback of a function or operator. */
QUORB_API QuorbItem* Define_Overload_Quorb(QuorbInstance* instance, const char* definition, void* callbackOrAddress,
                                           QuorbItem* existing);
QUORB_API QuorbItem* DefineFunction(QuorbInstance* instance, const char* signature, QuorbCallback callback);
/* Associativity 1 is right to left; anything else left to right. A zero
 * precedence keeps the one in the signature. */
QUORB_API QuorbItem* DefineOperator(QuorbInstance* instance, const char* signature, int32_t precedence,
                                    int32_t associativity, QuorbCallback callback);
QUORB_API QuorbItem* DefineVariable(QuorbInstance* instance, const char* declaration, void* address);
/* As DefineVariable, and locked: assigning to it is error 17. */
QUORB_API QuorbItem* DefineConstant(QuorbInstance* instance, const char* declaration, void* address);
QUORB_API QuorbItem* DefineDataType(void);
QUORB_API QuorbItem* AddErrorHandler(QuorbInstance* instance, QuorbErrorHandler handler, int32_t position);

/* Parse once, evaluate any number of times. Parse never returns null: a
 * failed parse gives an expression that reports its error. */
QUORB_API QuorbExpression* Parse(QuorbInstance* instance, const char* expression, const char* typeName);
QUORB_API double Evaluate(QuorbExpression* expression);
QUORB_API double EvaluateNTE(QuorbExpression* expression);
QUORB_API int32_t EvaluateInt32(QuorbExpression* expression);
QUORB_API const char* EvaluateStr(QuorbExpression* expression);
QUORB_API void* EvaluateVoid(QuorbExpression* expression);
QUORB_API void Execute(QuorbExpression* expression);
/* Releases an expression from Parse; anything else (null, a released one)
 * is ignored. */
QUORB_API void ReleaseExpr(QuorbExpression* expression);
QUORB_API QuorbExpression* Handle_Overload_ParsedExpr(QuorbExpression* expression);
/* Parse, evaluate and release in one call; the caller's floating-point
 * flags are left as they were. */
QUORB_API double Eval(QuorbInstance* instance, const char* expression);
QUORB_API const char* EvalStr(QuorbInstance* instance, const char* expression);

/* Lookup. */
QUORB_API QuorbItem* HandleOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal);
QUORB_API QuorbItem* GetItemOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal);
QUORB_API QuorbItem* GetItemOfProperty(QuorbInstance* instance, int32_t mask, int32_t index, const char* typeName);
QUORB_API int32_t Precedence_Overload_Quorb(QuorbInstance* instance, const char* op, const char* secondOp);
/* The value at `address` printed as the named type; "" for an unknown type
 * or a null address. */
QUORB_API const char* ValueAt(QuorbInstance* instance, void* address, const char* typeName);

#ifdef __cplusplus
}
#endif

#endif /* QUORB_H */
