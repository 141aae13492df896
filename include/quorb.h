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
 * same export, which may free it. Copy what you keep. The trap: two calls
 * of one export in one statement, as in
 *     printf("%s %s", EvalStr(q, "1+1"), EvalStr(q, "2+2"));
 * leave the first pointer dangling: it may print garbage or crash, not
 * merely the same text twice.
 *
 * Failures. No export throws or aborts on bad input. A definition that
 * fails returns null; a parse that fails returns an expression whose run
 * yields the error (its number through Evaluate, its message through
 * EvaluateStr). The instance holds one error number (0 for none): the
 * first error of the last parse or definition, or one raised while
 * evaluating. It is sticky: evaluation never clears it, so after a failed
 * evaluation ErrorNumber keeps reporting it, and every later EvaluateStr
 * of any expression returns its message, until the next parse, definition
 * or rule definition starts (Parse, Eval, EvalStr, a Define export,
 * FromTo, DefineRule). No export clears it alone: a host that evaluates
 * parsed expressions again after a failure starts clean by parsing
 * something (Eval(q, "0") is the cheapest).
 * Each error raised calls the host's error handlers (AddErrorHandler).
 *
 * Memory running out. An export that cannot get memory gives its neutral
 * result (null, 0, NaN or ""; Parse may then return null too) and sets
 * error 18 on the instance, which keeps working: nothing is lost or left
 * half made, and the call can be made again. CreateQuorb then returns
 * null; ReleaseQuorb needs no memory of its own.
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
 *
 * Stack. Calls of functions with bodies and the built-ins that evaluate a
 * text or a parsed expression (Eval, EvalStr, Evaluate, ...) nest on the
 * calling thread's stack. They stop with error 18 once 2000 are nested or
 * once the nested ones have used 160 KiB of stack, whichever comes first
 * (a level takes some hundred bytes in an optimised build, more in a
 * debugging one). A thread that evaluates needs 256 KiB of stack beside
 * what the host itself has used when it calls in, and may not switch
 * stacks inside a callback.
 *
 * The pointer built-ins of the expression language (AddressOf, ValueAt,
 * AddPtr, SubtractPtr, assignment through a pointer) work on raw addresses
 * that the expression supplies and are meant for trusted hosts and text:
 * an address that does not designate storage of the right type reads or
 * writes whatever it designates (ValueAt refuses only null and first-page
 * addresses, with error 19).
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

#include <stddef.h>
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
/* A new instance that knows the built-in language; `unused` is not read
 * (pass NULL). Null only when memory runs out. Free it with ReleaseQuorb.
 * It clears the calling thread's floating-point flags. */
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
 * the host storage of a variable, or null. A non-null `existing` item of
 * this instance takes the clauses instead of a new item: clauses that set
 * its properties ("Value: 5", "Lock", "Precedence: 42", "Name: other")
 * change it in place and return it. A "Function:", "Operator:" or
 * "Variable:" clause for an existing item that is filed by name is
 * refused (null, error 9): to replace a function's or operator's
 * definition, define it again with "Overwrite ~~ Function: ..." and a null
 * `existing`, and expressions parsed earlier run the new definition. A
 * variable is never overwritten: declared again, it is filed anew, and
 * expressions parsed earlier keep the old one. Null with error 0: the
 * clauses made no item. */
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
 * ("" or null: its own type). A failed parse gives an expression that
 * yields its error; null only when memory ran out (error 18). Owned by the
 * instance; see ReleaseExpr. */
QUORB_API QuorbExpression* Parse(QuorbInstance* instance, const char* expression, const char* typeName);
/* Runs the expression; the result as a double (NaN for a non-numeric type).
 * Then the floating-point flags are tested: every flag raised and not
 * ignored (FPEnvSetExceptionMask) becomes error 20 to 24, also one the
 * host raised before the call, so clear the flags first
 * (FPEnvClearException) when they are not the expression's. The error
 * number is sticky (see Failures above): the run does not clear an earlier
 * error, and the result of a run that raised one is its number. */
QUORB_API double Evaluate(QuorbExpression* expression);
/* As Evaluate without the floating-point test: no errors 20 to 24, and the
 * raised flags stay raised. */
QUORB_API double EvaluateNTE(QuorbExpression* expression);
/* As Evaluate, the result as a 32-bit integer: wider integers keep their
 * low 32 bits, floats are truncated and saturated, other types give 0. */
QUORB_API int32_t EvaluateInt32(QuorbExpression* expression);
/* As Evaluate, the result as text through its type's output formats, or
 * the error message when the run ends with an error set (text out); the
 * error may be an earlier one, still set (see Failures above). */
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

/* ===== Transforms: life and passes =====
 * A transform rewrites text by token-level rules. Make one with NewTransform
 * (or use the instance's ParserTransform); it belongs to its instance, and
 * its tokens, rules and passes belong to it. The token exports take the
 * transform handle itself. A null handle gives null, 0, false or "" and
 * does nothing. Refusals set error 9 on the transform's instance. While a
 * transform runs (host code called back from a rule's directive), every
 * export that would change or free its input, tokens, rules or passes is
 * refused. */

/* Frees a transform from NewTransform or LocalTransform with its tokens,
 * rules and passes (a rule whose local transform it was forgets it).
 * Refused: null, the instance's own transforms, passes, a running one. */
QUORB_API void ReleaseTransform(QuorbTransform* transform);
/* Kind 0 frees rules and tokens, 1 neither, 2 tokens, 3 rules; all free the
 * passes and leave no input, the default tokens (a pass: its parent's) and
 * no rules. Returns the transform; null (error 9) for another kind or while
 * it runs. Tokens and rules not freed stay valid until the transform goes. */
QUORB_API QuorbTransform* Reset(QuorbTransform* transform, int32_t kind);
/* Moves a host transform, with its passes and tokens, to `instance`;
 * returns it. Null (error 9) for a null instance, an instance's own
 * transform or a pass, or a transform holding rules (they stay with theirs). */
QUORB_API QuorbTransform* SetParser(QuorbTransform* transform, QuorbInstance* instance);
/* The instance the transform belongs to. */
QUORB_API QuorbInstance* MathParser(QuorbTransform* transform);
/* The rule's own transform, made on first use, owned by the rule and freed
 * with it (or by ReleaseTransform); null for a rule no transform defined. */
QUORB_API QuorbTransform* LocalTransform(QuorbItem* rule);
/* Appends a pass over the current text, run before the transform's own
 * rules; owned by the transform, freed by its Reset. `share` non-zero: it
 * uses the transform's tokens, rules and passes; 0: copies of the tokens
 * and an empty rule table. Null (error 9) on a pass that shares. */
QUORB_API QuorbTransform* NewPass(QuorbTransform* transform, int32_t share);
/* The pass at `index` (null for a slot left empty); past the end the list
 * grows with empty slots and the pass is made there as by NewPass. Null for
 * a negative index or one past 2^20. */
QUORB_API QuorbTransform* Pass(QuorbTransform* transform, int32_t index, int32_t share);
/* Sets the transform's comment (copied); returns the transform. */
QUORB_API QuorbTransform* Comment_Overload_QuorbTransform_Tokens(QuorbTransform* transform, const char* comment);
/* The same as Comment_Overload_QuorbTransform_Tokens. */
QUORB_API QuorbTransform* Comment_Overload_QuorbTransform(QuorbTransform* transform, const char* comment);
/* Appends copies of `source`'s tokens (pattern, kind, sub-match and
 * code-block pairs only), owned by the transform; returns the transform. A
 * null source adds nothing. */
QUORB_API QuorbTransform* Import_Overload_QuorbTransform_Tokens__Obj(QuorbTransform* transform,
                                                                     QuorbTransform* source);

/* ===== Transforms: tokens ===== */

/* Appends a token tried before all earlier ones. `kind`: 1 generic ... 11
 * reducible; `subMatch`: the capture group that is the token's text;
 * `grammar`: 0 the transform's, 1 ECMAScript, 2 basic, 3 extended, 4 awk,
 * 5 grep, 6 egrep; a non-empty `closing` makes it a code-block opener with
 * that closer. Returns the token item (the opener), owned by the
 * transform; null (error 9, nothing added) for a pattern that does not
 * compile, another grammar or a negative sub-match. */
QUORB_API QuorbItem* DefineToken(QuorbTransform* transform, const char* regex, int32_t kind, const char* closing,
                                 int32_t subMatch, int32_t grammar);
/* The same as DefineToken. */
QUORB_API QuorbItem* Define_Overload_QuorbTransform_Tokens(QuorbTransform* transform, const char* regex, int32_t kind,
                                                           const char* closing, int32_t subMatch, int32_t grammar);

/* ===== Transforms: rules =====
 * A rule belongs to its transform and is freed with it or by ReleaseRule.
 * Limits are counts of matches; any negative value means none. A FROM
 * pattern is matched from its first word (or first regular-expression
 * parameter) on, so one that starts with a plain or count parameter is
 * malformed. */

/* Defines the rule `from` -> `to` with its comment, limits, precedence and
 * flags (non-zero sets a flag). Returns the rule; null, with nothing set,
 * when no rule is made (error 9 for a malformed rule). */
QUORB_API QuorbItem* DefineRule(QuorbTransform* transform, const char* comment, const char* from, const char* to,
                                int32_t minimum, int32_t maximum, int32_t minimumHard, int32_t maximumHard,
                                int32_t precedence, int32_t startAfter, int32_t stopAfter, int32_t skipOver,
                                int32_t rewindOnChange, int32_t caseSensitive, int32_t codeBlockSensitive,
                                int32_t quoteSensitive, int32_t rightToLeft);
/* Defines the rule `from` -> `to` with the transform's RulesDefault
 * settings. Returns the rule; null when none is made (error 9 if malformed). */
QUORB_API QuorbItem* FromTo(QuorbTransform* transform, const char* from, const char* to);
/* Entry `index` of the transform's rule list (null for a slot left empty);
 * past the end the list grows and a blank rule, owned by the transform, is
 * made there. Null for a negative index or one past 2^20. */
QUORB_API QuorbItem* GetRule(QuorbTransform* transform, int32_t index);
/* The transform's rule defaults, copied into every rule defined later; its
 * flags apply to the transform too. Lives inside the transform. */
QUORB_API QuorbItem* RulesDefault(QuorbTransform* transform);
/* The transform's second embedded rule item, read by nothing. Lives inside
 * the transform. */
QUORB_API QuorbItem* RulesOverall(QuorbTransform* transform);
/* Frees a rule or token item of a transform at once. Null does nothing;
 * anything else (a variable, function or type, the embedded items, the
 * not-found item) is refused with error 9, as is any rule while its
 * transform runs; a rule still in use (a variant, a code-block closer) is
 * refused with error 13. */
QUORB_API void ReleaseRule(QuorbItem* rule);

/* ===== Transforms: rule properties =====
 * Each setter sets one property of the rule and returns the rule; a null
 * rule gives null. A flag set on RulesDefault applies to the transform too. */

/* Non-zero: the rule is applied; 0: it is passed over. */
QUORB_API QuorbItem* Active(QuorbItem* rule, int32_t flag);
/* Non-zero: the rule's words, its first word included, match only in the
 * same case; rules ignore ASCII case unless made case-sensitive. */
QUORB_API QuorbItem* CaseSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: blanks are tokens the rule sees, so its words must touch as in
 * the pattern: "f(" then does not match "f (". */
QUORB_API QuorbItem* WhitespaceSensitive(QuorbItem* rule, int32_t flag);
/* Stored and read back only: whether a rule's matches reach into code
 * blocks is the transform's setting (CodeBlockSensitive on RulesDefault). */
QUORB_API QuorbItem* CodeBlockSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: quoted text is one token, left alone; 0: its inside is read.
 * On a rule it governs the words after the first: the first word is found
 * by the transform's scan, which follows the flag on RulesDefault. */
QUORB_API QuorbItem* QuoteSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: matches are passed over, not replaced. */
QUORB_API QuorbItem* SkipOver(QuorbItem* rule, int32_t flag);
/* Non-zero: a replacement is read again from its start, so rules apply to it. */
QUORB_API QuorbItem* RewindOnChange(QuorbItem* rule, int32_t flag);
/* Non-zero: the match limits count from the end of the text. */
QUORB_API QuorbItem* RightToLeft(QuorbItem* rule, int32_t flag);
/* Stored and read back only: rules under one first word are tried newest
 * first, whatever their precedence. */
QUORB_API QuorbItem* Precedence(QuorbItem* rule, int32_t precedence);
/* No match is replaced when the text holds fewer than `value` of them. */
QUORB_API QuorbItem* Minimum(QuorbItem* rule, int32_t value);
/* At most `value` matches are replaced (after those StartAfter skips). */
QUORB_API QuorbItem* Maximum(QuorbItem* rule, int32_t value);
/* A run that replaced fewer than `value` matches is undone. */
QUORB_API QuorbItem* MinimumHard(QuorbItem* rule, int32_t value);
/* The match after the `value`-th replacement ends the run. */
QUORB_API QuorbItem* MaximumHard(QuorbItem* rule, int32_t value);
/* The first `value` matches are left alone. */
QUORB_API QuorbItem* StartAfter(QuorbItem* rule, int32_t value);
/* Matches after the `value`-th are left alone. */
QUORB_API QuorbItem* StopAfter(QuorbItem* rule, int32_t value);
/* Replaces the rule's recorded pattern text (copied); not compiled again. */
QUORB_API QuorbItem* FindPart(QuorbItem* rule, const char* from);
/* The same as FindPart. */
QUORB_API QuorbItem* FromPart(QuorbItem* rule, const char* from);
/* Replaces the rule's recorded replacement text (copied); not compiled again. */
QUORB_API QuorbItem* ToPart(QuorbItem* rule, const char* to);
/* Sets the rule's comment (copied). */
QUORB_API QuorbItem* Comment_Overload_QuorbTransform_RuleClass(QuorbItem* rule, const char* comment);
/* The rule's compiled replacement text; "" for null. Library-owned, valid
 * until the next ReplacementText call. */
QUORB_API const char* ReplacementText(QuorbItem* rule);

/* ===== Transforms: input, expansion and results ===== */

/* Makes a copy of `text` the input and drops a by-reference link. Returns
 * the transform; null (error 9) while it runs. */
QUORB_API QuorbTransform* SetInput(QuorbTransform* transform, const char* text);
/* C++ hosts: `target` is a std::string the caller owns and keeps alive.
 * Its text moves into the transform by exchange (the host's string is left
 * with the transform's earlier input, usually empty), so edits the host
 * makes to it later are not seen; each Transform copies its result back
 * into it. Null drops the link. Returns the transform; null while it runs. */
QUORB_API QuorbTransform* SetInputByRef(QuorbTransform* transform, void* target);
/* Rewrites the stored input in place by the passes, then the rules.
 * Returns the transform; null (error 9) while it runs. */
QUORB_API QuorbTransform* Transform(QuorbTransform* transform);
/* The transform's current text; "" for null, and one blank before the
 * first SetInput and after a Reset. Library-owned, valid until the next
 * ResultStr call. */
QUORB_API const char* ResultStr(QuorbTransform* transform);
/* 1 when the transform's last expansion changed its text, else 0 (0 for null). */
QUORB_API int32_t WasModified(QuorbTransform* transform);
/* `text` rewritten by the transform; the stored input is untouched. "" for
 * null. Library-owned, valid until the next Expand call (and may be passed
 * back to it). */
QUORB_API const char* Expand(QuorbTransform* transform, const char* text);
/* As Expand, but lists the steps: the text, then the text after each
 * change, joined by `separator` between `prefix` and `postfix` (an empty one
 * is the transform's list text). Library-owned, valid until the next call. */
QUORB_API const char* ExpandWithSteps(QuorbTransform* transform, const char* text, const char* separator,
                                      const char* prefix, const char* postfix);
/* Sets the text before ExpandWithSteps' list (copied); returns the transform. */
QUORB_API QuorbTransform* ListPrefix(QuorbTransform* transform, const char* prefix);
/* Sets the text between ExpandWithSteps' steps (copied); returns the transform. */
QUORB_API QuorbTransform* ListSeparator(QuorbTransform* transform, const char* separator);
/* Sets the text after ExpandWithSteps' list (copied); returns the transform. */
QUORB_API QuorbTransform* ListPostfix(QuorbTransform* transform, const char* postfix);
/* Sets all three list texts (copied); returns the transform. */
QUORB_API QuorbTransform* ListDelimiters(QuorbTransform* transform, const char* prefix, const char* separator,
                                         const char* postfix);

/* ===== Transforms: exports that do nothing =====
 * Kept for hosts written against them. */

/* Returns `transform`; nothing else. */
QUORB_API QuorbTransform* GetTokens(QuorbTransform* transform);
/* Returns `transform`; the file is not read. */
QUORB_API QuorbTransform* Import_Overload_QuorbTransform_Tokens__File(QuorbTransform* transform, const char* fileName);
/* Returns `handle`; nothing is set. */
QUORB_API void* SetProperties(void* handle, int64_t properties);
/* Returns null. */
QUORB_API QuorbTransform* Import_Overload_QuorbTransform(void);
/* Returns 0. */
QUORB_API int32_t ParseAgainMax(void);
/* ---- Inside a callback ------------------------------------------------
 * `part` is the context a callback receives. Argument n counts from 1 and
 * runs to ArgCount(part); a number outside that range reads 0, null or "".
 * The fixed-width readers and writers follow the value's type: the same
 * type copies, numeric types convert, anything else reads 0 (or writes
 * nothing) and sets error 7 (type mismatch) unless an error is pending. */
QUORB_API double Arg(QuorbPart* part, int32_t n);            /* argument n as a double */
QUORB_API int32_t ArgInt32(QuorbPart* part, int32_t n);      /* argument n as an Int */
QUORB_API int64_t ArgInt64(QuorbPart* part, int32_t n);      /* argument n as an Int64 */
/* The address held by a Pointer, AnyType or Void argument, a "Ptr"
 * parameter or an array (its elements); null for other types (error 7). */
QUORB_API void* ArgPtr(QuorbPart* part, int32_t n);
/* The address of argument n's own storage, laid out as its type; valid
 * while the callback runs. */
QUORB_API void* ArgAddr(QuorbPart* part, int32_t n);
/* The item of argument n; owned by the library, do not release it. */
QUORB_API QuorbItem* ArgObj(QuorbPart* part, int32_t n);
/* The unevaluated expression of a ByExpr argument, to run with the Evaluate
 * family; null for other arguments. Owned by the library: never release it. */
QUORB_API QuorbExpression* ArgExpr(QuorbPart* part, int32_t n);
/* Argument n as plain text (no output format); valid until the next ArgStr. */
QUORB_API const char* ArgStr(QuorbPart* part, int32_t n);
QUORB_API int64_t ArgCount(QuorbPart* part);                 /* number of arguments; 0 for null */
QUORB_API void Return(QuorbPart* part, double value);        /* writes the result as a double */
QUORB_API void ReturnInt32(QuorbPart* part, int32_t value);  /* writes the result as an Int */
QUORB_API void ReturnInt64(QuorbPart* part, int64_t value);  /* writes the result as an Int64 */
/* The result becomes the memory at `address`, read at each use, so later
 * writes there show through; the host keeps that memory alive and owns it.
 * The library keeps the result's own storage aside and never frees host
 * memory. A null address (or a later write through the other Return
 * exports) makes the result its own storage again. Refused for arrays. */
QUORB_API void ReturnPtr(QuorbPart* part, void* address);
/* Assigns the text to a String result; other result types: error 7. */
QUORB_API void ReturnStr(QuorbPart* part, const char* text);
/* Raises error n and runs the error handlers: 1 when one resumed, else 0. */
QUORB_API int32_t ErrorRaise(QuorbPart* part, int32_t n);
/* Raises error 1 with `message` as its message; returns as ErrorRaise. */
QUORB_API int32_t ErrorRaiseMessage(QuorbPart* part, const char* message);
QUORB_API QuorbItem* OpItem(QuorbPart* part);                 /* the function or operator running */
QUORB_API QuorbInstance* GetQuorb_Overload_Callback(QuorbPart* part); /* its instance; null if none */
QUORB_API QuorbPart* Handle_Overload_Callback(QuorbPart* part);       /* returns `part` */

/* ---- Items ------------------------------------------------------------
 * Item handles stay owned by the library. A null item reads 0, null or "". */
/* The item's name; valid until the next call of Name_Overload_Item. */
QUORB_API const char* Name_Overload_Item(QuorbItem* item);
/* The item's text (definition or literal text); valid until the next Text. */
QUORB_API const char* Text(QuorbItem* item);
/* 1 when property bit n (taken as n & 63) is set, else 0. */
QUORB_API int32_t IsProperty(QuorbItem* item, int32_t n);
QUORB_API int32_t Precedence_Overload_Item(QuorbItem* item);  /* an operator's precedence */
QUORB_API QuorbItem* NextOverload(QuorbItem* item);   /* next older item of the name; null at the end */
QUORB_API QuorbType* GetDataType(QuorbItem* item);    /* value, result or defined type; may be null */
QUORB_API void* FunctionAddress(QuorbItem* item);     /* the bound callback; null when none */
QUORB_API size_t ElementCount(QuorbItem* item);       /* an array's length */
QUORB_API QuorbInstance* GetQuorb_Overload_Item(QuorbItem* item); /* owning instance; null for sentinels */
QUORB_API QuorbItem* Handle_Overload_Item(QuorbItem* item);       /* returns `item` */
/* Refiles the item under a new name in the current namespace; an empty or
 * locked name sets error 9 and keeps the old filing. Only items filed in a
 * namespace of the instance (or held anonymously) move: rules and tokens of
 * a transform are refused with error 9. */
QUORB_API void Rename(QuorbItem* item, const char* name);
/* Frees the item and takes it out of every list. Null is ignored; sentinels,
 * the default and output-text items, items held inside other objects (a
 * parameter, an argument, a transform's rule defaults) and type items
 * whose values are alive are refused with error 13. */
QUORB_API void ReleaseItem(QuorbItem* item);

/* ---- Item values ------------------------------------------------------
 * Readers give 0 (or null, "") for a null item, one without a value, the
 * not-found item and function items; see "Inside a callback" for how a
 * width that differs from the item's type is handled. */
QUORB_API double Value(QuorbItem* item);       /* the value as a double; 0 when unreadable */
QUORB_API double ValueDbl(QuorbItem* item);    /* the same as Value */
QUORB_API float ValueSng(QuorbItem* item);     /* as a Single; 0 when unreadable */
QUORB_API uint8_t ValueByte(QuorbItem* item);  /* as an Int8u; 0 when unreadable */
QUORB_API int16_t ValueInt16(QuorbItem* item); /* as an Int16; 0 when unreadable */
QUORB_API int32_t ValueInt32(QuorbItem* item); /* as an Int; 0 when unreadable */
QUORB_API int64_t ValueInt64(QuorbItem* item); /* as an Int64; 0 when unreadable */
/* The address a Pointer, AnyType or Void item holds (an array item: its
 * elements); null for other types, with error 7. */
QUORB_API void* ValuePtr(QuorbItem* item);
/* The address of the item's storage, owned by the item (or the host's
 * memory it was defined over); valid while the item keeps that value. */
QUORB_API void* ValueAddr(QuorbItem* item);
/* The value as plain text; valid until the next call of ValueStr. */
QUORB_API const char* ValueStr(QuorbItem* item);
/* Writers: convert as the readers do; a mismatch writes nothing (error 7). */
QUORB_API void SetVariableValue(QuorbItem* item, double value);       /* stores a double */
QUORB_API void SetVariableValueDbl(QuorbItem* item, double value);    /* the same as SetVariableValue */
QUORB_API void SetVariableValueSng(QuorbItem* item, float value);     /* stores a Single */
QUORB_API void SetVariableValueByte(QuorbItem* item, uint8_t value);  /* stores an Int8u */
QUORB_API void SetVariableValueInt16(QuorbItem* item, int16_t value); /* stores an Int16 */
QUORB_API void SetVariableValueInt32(QuorbItem* item, int32_t value); /* stores an Int */
QUORB_API void SetVariableValueInt64(QuorbItem* item, int64_t value); /* stores an Int64 */
/* Stores an address into a Pointer or AnyType item; the host keeps owning
 * the memory it points at. */
QUORB_API void SetVariableValuePtr(QuorbItem* item, void* value);
/* Copies one value of the item's own type from `value`; null does nothing.
 * For a String or OmniType item `value` must be a text value the data-type
 * exports made (see below); any other pointer: error 7. */
QUORB_API void SetVariableValueByPtr(QuorbItem* item, const void* value);
/* Assigns the text to a String item; other types: error 7. */
QUORB_API void SetVariableValueStr(QuorbItem* item, const char* text);
/* Reads the text as a value expression and stores it, converting to the
 * item's type; the error number is this call's: 0, or its failure's. */
QUORB_API void SetVariableValueAny(QuorbItem* item, const char* text);

/* ---- Data types -------------------------------------------------------
 * Values made by AllocScalar and AllocByPtr belong to the host until it
 * passes them to ReleaseScalar of a type of the same kind; arrays from
 * AllocArray likewise to ReleaseArray. The release exports refuse (error 13)
 * anything else, so host memory and library values are never freed. A null
 * type or value does nothing and reads 0, null or "".
 * String and OmniType values are library text objects, not C strings: the
 * exports below that take a value by pointer accept for these types only a
 * value from AllocScalar or AllocByPtr, or an element of an array from
 * AllocArray, made by a type of the same kind; any other pointer (a C
 * string, host memory, ValueAddr or ArgAddr of an item) is refused with
 * error 7. Texts go in and out of items through SetVariableValueStr,
 * ValueStr and ArgStr. */
QUORB_API size_t ByteSize(QuorbType* type);                     /* bytes of one value */
/* A new array of n reset values; null for a negative or too large n. */
QUORB_API void* AllocArray(QuorbType* type, int32_t n);
/* A new value read from the text; null when the text is not a value. */
QUORB_API void* AllocScalar(QuorbType* type, const char* text);
/* A new value holding a copy of the value at `value`. */
QUORB_API void* AllocByPtr(QuorbType* type, const void* value);
/* Frees a value from AllocScalar or AllocByPtr; anything else: error 13. */
QUORB_API void ReleaseScalar(QuorbType* type, void* value);
/* Frees an array from AllocArray; anything else: error 13. */
QUORB_API void ReleaseArray(QuorbType* type, void* array);
/* Copies one value from `source` to `destination`, both of the type; a
 * value the exports made with a type of another kind: error 13. */
QUORB_API void SetScalar(QuorbType* type, void* destination, const void* source);
/* Writes element `index`; refused for a negative index or one past the end
 * of an array from AllocArray. */
QUORB_API void SetArray(QuorbType* type, void* array, const void* source, int32_t index);
QUORB_API void SwapScalarValues(QuorbType* type, void* a, void* b); /* exchanges two values */
QUORB_API void ResetScalar(QuorbType* type, void* value);          /* sets the zero value */
/* Resets every element of an array from AllocArray; any other pointer is
 * refused with error 13. */
QUORB_API void ResetArray(QuorbType* type, void* array);
/* The value formatted by the type's output formats; valid until the next
 * call of the same export. */
QUORB_API const char* ToString_Overload_DataType__ByPtr(QuorbType* type, const void* value);
/* The text read as a value of the type, then formatted; nothing stays
 * allocated. "" when the text is not a value. */
QUORB_API const char* ToString_Overload_DataType__ByStr(QuorbType* type, const char* text);
QUORB_API int32_t Index(QuorbType* type);      /* built-in type number; 0 for null */
QUORB_API QuorbItem* GetItem(QuorbType* type); /* the defining item; owned by the library */
/* The type's name; valid until the next call of Name_Overload_DataType. */
QUORB_API const char* Name_Overload_DataType(QuorbType* type);
QUORB_API QuorbType* Handle_Overload_DataType(QuorbType* type);  /* returns `type` */

/* ---- Errors -----------------------------------------------------------
 * Texts are valid until the next call of the same export. */
/* The current error number, 0 when none. It stays set until the next parse
 * or definition starts, whatever is evaluated meanwhile. */
QUORB_API int32_t ErrorNumber(QuorbInstance* instance);
/* The message of error n (n = 0: the current error); "" for a number
 * without a message. */
QUORB_API const char* ErrorMessage(QuorbInstance* instance, int32_t n);
QUORB_API const char* ErrorExpression(QuorbInstance* instance); /* text where the error was found */
QUORB_API const char* ErrorSymbol(QuorbInstance* instance);     /* the token there */
QUORB_API uint64_t ErrorLocation(QuorbInstance* instance);      /* its offset in the text */
/* Replaces the recorded text, keeping the offsets; nothing without one. */
QUORB_API void ErrorSetExpression(QuorbInstance* instance, const char* text);
/* Inside an error handler, 1 resumes (stops the handlers; a parse goes on). */
QUORB_API void ErrorResponse(QuorbInstance* instance, int32_t response);

/* ---- Floating-point environment ---------------------------------------
 * Flags and rounding modes are the platform's own floating-point values,
 * the same on every x86 and x86-64 build. The flag and rounding exports act
 * on the calling thread; the mask exports on the instance only (masked
 * flags raise no error after an evaluation). */
#define QUORB_FE_INVALID 0x01
#define QUORB_FE_DIVBYZERO 0x04
#define QUORB_FE_OVERFLOW 0x08
#define QUORB_FE_UNDERFLOW 0x10
#define QUORB_FE_INEXACT 0x20
#define QUORB_FE_TONEAREST 0x0000
#define QUORB_FE_DOWNWARD 0x0400
#define QUORB_FE_UPWARD 0x0800
#define QUORB_FE_TOWARDZERO 0x0c00
/* Clears the flags (0: all five); 0 on success. */
QUORB_API int32_t FPEnvClearException(QuorbInstance* instance, int32_t flags);
QUORB_API int32_t FPEnvRaiseException(QuorbInstance* instance, int32_t flags); /* 0 on success */
QUORB_API int32_t FPEnvGetRounding(QuorbInstance* instance);                   /* a QUORB_FE_ mode */
QUORB_API int32_t FPEnvSetRounding(QuorbInstance* instance, int32_t mode);     /* 0 on success */
QUORB_API int32_t FPEnvGetExceptionMask(QuorbInstance* instance);              /* ignored flags */
QUORB_API void FPEnvSetExceptionMask(QuorbInstance* instance, int32_t mask);      /* ignore these */
QUORB_API void FPEnvSetExceptionUnMask(QuorbInstance* instance, int32_t flags);  /* stop ignoring */
QUORB_API void FPEnvToggleExceptionMask(QuorbInstance* instance, int32_t flags); /* invert these */

/* ---- Namespaces -------------------------------------------------------- */
/* Symbol `index` of the current namespace in name order; null out of range. */
QUORB_API QuorbItem* NamespaceSymbol(QuorbInstance* instance, int32_t index);
QUORB_API uint64_t NamespaceSymbolCount(QuorbInstance* instance); /* names in it */
QUORB_API void* NamespaceChild(void);        /* always null */
QUORB_API int32_t NamespaceChildCount(void); /* always 0 */
QUORB_API void* NamespaceParent(void);       /* always null */

/* ---- Output formats ---------------------------------------------------
 * `format` is the text after "Output:". The output item, or null
 * with the error number set (9 for a type name the instance does not
 * know). */
/* The callback reads the text being printed as argument 1 (ArgStr) and
 * writes the new text with ReturnStr. */
QUORB_API QuorbItem* SetOutput_Overload_Quorb__Callback(QuorbInstance* instance, QuorbCallback callback,
                                                       const char* format);
/* The format's "name = expression" computes the new text. */
QUORB_API QuorbItem* SetOutput_Overload_Quorb__NoCallback(QuorbInstance* instance, const char* format);
/* Removes every output format: values print plainly again. */
QUORB_API void ResetOutput(QuorbInstance* instance);

#ifdef __cplusplus
}
#endif

#endif /* QUORB_H */
