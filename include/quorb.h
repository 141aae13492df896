/* Quorb: parse and evaluate expressions at run time, and rewrite text by
 * token-level rules. Everything the language knows (types, variables,
 * functions, operators, error handlers, output formats, tokens, rules) is
 * defined from text at run time; docs/language.md describes the language.
 *
 * A host's calls, in order: CreateQuorb; its own definitions and error
 * handlers; Parse once per expression; Evaluate (or a sibling) as often as
 * it likes; ReleaseExpr; ReleaseQuorb. Eval and EvalStr parse, run and free
 * a one-off text in one call.
 *
 * Handles. Every handle is opaque. The instance owns everything made from
 * it (items, parsed expressions, data types, transforms) and frees it all
 * in ReleaseQuorb; a host may free a parsed expression earlier with
 * ReleaseExpr. No export hands the host memory to free.
 *
 * Texts in are NUL-terminated 8-bit strings, read as bytes; a null pointer
 * counts as the empty text. Each is copied at once, so the caller's buffer
 * may be reused as soon as the call returns.
 *
 * Texts out belong to the export that returned them: one buffer per export,
 * shared by all instances, valid and unchanged until the next call of the
 * same export. Copy what you keep. The trap: two calls of one export in one
 * statement, as in
 *     printf("%s %s", EvalStr(q, "1+1"), EvalStr(q, "2+2"));
 * print the same text twice, since both pointers point to that one buffer.
 *
 * Failures. No export throws or aborts on bad input. A definition that
 * fails returns null; a parse that fails returns an expression whose run
 * yields the error (its number through Evaluate, its message through
 * EvaluateStr). The instance holds one error number (0 for none): the
 * first error of the last parse or definition, or one raised while
 * evaluating; it stays until the next parse or definition starts. Each
 * error raised calls the host's error handlers (AddErrorHandler).
 *
 * The not-found item. Lookups (HandleOf, GetItemOf, GetItemOfProperty)
 * never return null: a miss returns the not-found item, one item shared by
 * every instance of the process. Recognise it by comparing with the result
 * of a lookup that cannot succeed, HandleOf(instance, "", 0, 1), or by its
 * property bit 56. Never release it or define into it.
 *
 * Threads. The library takes no locks, and must be used from one thread at
 * a time as a whole, not only per instance: the result texts above, the
 * random-number state and the tables filled by the first CreateQuorb are
 * shared by every instance of the process. The floating-point flags and
 * rounding mode that evaluation reads are the calling thread's.
 *
 * Callbacks and error handlers are called on the thread that called into
 * the library, with the QUORB_CALLBACK convention; they must not let a C++
 * exception or a longjmp leave them.
 */
#ifndef QUORB_H
#define QUORB_H

/* The version of this header. The library follows it: within one major
 * version (and, before 1.0, one minor version) a host built against an
 * older header keeps working with a newer library. QUORB_VERSION is one
 * number for comparisons: QUORB_VERSION >= QUORB_VERSION_AT(0, 1, 0). */
#define QUORB_VERSION_MAJOR 0
#define QUORB_VERSION_MINOR 1
#define QUORB_VERSION_PATCH 0
#define QUORB_VERSION_AT(major, minor, patch) ((major) * 10000 + (minor) * 100 + (patch))
#define QUORB_VERSION QUORB_VERSION_AT(QUORB_VERSION_MAJOR, QUORB_VERSION_MINOR, QUORB_VERSION_PATCH)
#define QUORB_VERSION_STRING "0.1.0"

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

/* The calling convention of callbacks: standard call in the Windows x86
 * build only, the platform's default everywhere else. */
#if defined(_WIN32) && defined(_M_IX86)
#  define QUORB_CALLBACK __stdcall
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
/* A new instance that knows the built-in language; `unused` is not read
 * (pass NULL). Null only when memory runs out. Free it with ReleaseQuorb. */
QUORB_API QuorbInstance* CreateQuorb(void* unused);
/* Frees the instance and everything made from it; their handles die with
 * it. Null is ignored, and so is a call from inside one of its callbacks. */
QUORB_API void ReleaseQuorb(QuorbInstance* instance);
/* Returns its argument unchanged. */
QUORB_API QuorbInstance* Handle_Overload_Quorb(QuorbInstance* instance);
/* The default item, owned by the instance: its type (Double) is that of
 * untyped parameters, variables and results. Null for a null instance. */
QUORB_API QuorbItem* Default(QuorbInstance* instance);
/* The type bound to built-in type number `index` (0 to 127; Double is 14,
 * String 21), owned by the instance; null where none is bound. */
QUORB_API QuorbType* DataTypeOfIndex(QuorbInstance* instance, int32_t index);
/* The mask with bits p1..p4 (each 1 to 63; 0 and others add nothing, a bit
 * named twice adds twice), for the lookup exports. `instance` is not read. */
QUORB_API int64_t Properties(QuorbInstance* instance, int32_t p1, int32_t p2, int32_t p3, int32_t p4);
/* A new text transform with the default tokens and no rules, owned by the
 * instance (it goes with it); null when it cannot be made. */
QUORB_API QuorbTransform* NewTransform(QuorbInstance* instance);
/* The instance's own transform whose rules rewrite every expression before
 * it is parsed: rules added there extend the language. Owned by it. */
QUORB_API QuorbTransform* ParserTransform(QuorbInstance* instance);
/* Does nothing and returns null; transforms come from NewTransform. */
QUORB_API QuorbTransform* CreateTransform(void);

/* Definitions. Each returns the defined item, owned by the instance, or
 * null when the definition failed (the error number says why). */
/* Defines from a definition text such as "Function: Hyp(a, b) = Sqrt(a*a +
 * b*b)". `callbackOrAddress` is the QuorbCallback of a function, operator
 * or output clause, the QuorbErrorHandler of an error-handler clause, or
 * the host storage of a variable, or null. A non-null `existing` item is
 * redefined in place. Null with error 0: the clauses made no item. */
QUORB_API QuorbItem* Define_Overload_Quorb(QuorbInstance* instance, const char* definition, void* callbackOrAddress,
                                           QuorbItem* existing);
/* Defines "Function: " + signature: "Hyp(a, b) = Sqrt(a*a + b*b)" has a
 * body; "Scale(x, k As Int)" runs `callback`, which replaces any body. */
QUORB_API QuorbItem* DefineFunction(QuorbInstance* instance, const char* signature, QuorbCallback callback);
/* Defines "Operator: " + signature, such as "{x} ** {y}" or "-{x}", run by
 * `callback` or by a body after "=". A zero precedence keeps the one in the
 * signature; associativity 1 is right to left, anything else left to right. */
QUORB_API QuorbItem* DefineOperator(QuorbInstance* instance, const char* signature, int32_t precedence,
                                    int32_t associativity, QuorbCallback callback);
/* Declares a variable: "x", "n As Int = 3". A non-null `address` makes that
 * host memory its value, which must hold the declared type (Double unless
 * "As" says otherwise) for as long as expressions may read it. */
QUORB_API QuorbItem* DefineVariable(QuorbInstance* instance, const char* declaration, void* address);
/* As DefineVariable, and locked: an expression that assigns to it fails to
 * parse with error 17. */
QUORB_API QuorbItem* DefineConstant(QuorbInstance* instance, const char* declaration, void* address);
/* Does nothing and returns null; types come from "DataType:" definitions. */
QUORB_API QuorbItem* DefineDataType(void);
/* Registers `handler`, called with the instance each time an error is
 * raised, at `position` in the list (0 first; past the end or negative,
 * last); handlers run in order until one answers "resumed". */
QUORB_API QuorbItem* AddErrorHandler(QuorbInstance* instance, QuorbErrorHandler handler, int32_t position);

/* Parse once, evaluate any number of times. */
/* Parses `expression`, converting its result to the type named `typeName`
 * ("" or null: its own type). Never null: a failed parse gives an
 * expression that yields its error. Owned by the instance; see ReleaseExpr. */
QUORB_API QuorbExpression* Parse(QuorbInstance* instance, const char* expression, const char* typeName);
/* Runs the expression; the result as a double (NaN for a non-numeric type).
 * Floating-point exceptions not ignored become errors 20 to 24. */
QUORB_API double Evaluate(QuorbExpression* expression);
/* As Evaluate without the floating-point test: no errors 20 to 24, and the
 * raised flags stay raised. */
QUORB_API double EvaluateNTE(QuorbExpression* expression);
/* As Evaluate, the result as a 32-bit integer: wider integers keep their
 * low 32 bits, floats are truncated and saturated, other types give 0. */
QUORB_API int32_t EvaluateInt32(QuorbExpression* expression);
/* As Evaluate, the result as text through its type's output formats, or
 * the error message when the run ends with an error set (text out). */
QUORB_API const char* EvaluateStr(QuorbExpression* expression);
/* Runs it without the floating-point test; the address of the result
 * value, owned by the expression, valid until its next run or release. */
QUORB_API void* EvaluateVoid(QuorbExpression* expression);
/* Runs it for its effects, without the floating-point test. */
QUORB_API void Execute(QuorbExpression* expression);
/* Releases an expression from Parse; anything else (null, a released one)
 * is ignored. */
QUORB_API void ReleaseExpr(QuorbExpression* expression);
/* Returns its argument unchanged. */
QUORB_API QuorbExpression* Handle_Overload_ParsedExpr(QuorbExpression* expression);
/* Parses with Double as the wanted type, runs and frees in one call: the
 * result, or the error number of a failed parse. The caller's
 * floating-point flags are left as they were. */
QUORB_API double Eval(QuorbInstance* instance, const char* expression);
/* As Eval with no wanted type: the result as text, or the error message
 * (text out, valid until the next EvalStr). */
QUORB_API const char* EvalStr(QuorbInstance* instance, const char* expression);

/* Lookup. None sets an error number; a miss is the not-found item. */
/* The newest item named `name` (rewritten by the alias rules first unless
 * `literal` is non-zero); with a non-zero `mask` (see Properties), the first
 * item of that name that has every bit of the mask. */
QUORB_API QuorbItem* HandleOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal);
/* The same as HandleOf. */
QUORB_API QuorbItem* GetItemOf(QuorbInstance* instance, const char* name, int64_t mask, int32_t literal);
/* Item number `index` of the current namespace (names in order, each
 * name's older items after it), when it has a bit of `mask` and, if
 * `typeName` names a type, that type. */
QUORB_API QuorbItem* GetItemOfProperty(QuorbInstance* instance, int32_t mask, int32_t index, const char* typeName);
/* The precedence of the newest item named `op`; with a non-empty
 * `secondOp`, the mean of both, truncated. 0 for a name that names nothing. */
QUORB_API int32_t Precedence_Overload_Quorb(QuorbInstance* instance, const char* op, const char* secondOp);
/* The value at `address` printed as the named type; "" for an unknown type
 * or a null address. */
QUORB_API const char* ValueAt(QuorbInstance* instance, void* address, const char* typeName);

#ifdef __cplusplus
}
#endif

#endif /* QUORB_H */
