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

#include <stdbool.h>
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
 * Limits are counts of matches; -1 means none. */

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
/* Frees a rule or token item at once. Null, the embedded items and the
 * not-found item are ignored. */
QUORB_API void ReleaseRule(QuorbItem* rule);

/* ===== Transforms: rule properties =====
 * Each setter sets one property of the rule and returns the rule; a null
 * rule gives null. A flag set on RulesDefault applies to the transform too. */

/* Non-zero: the rule is applied; 0: it is passed over. */
QUORB_API QuorbItem* Active(QuorbItem* rule, int32_t flag);
/* Non-zero: the rule's words match only in the same case. */
QUORB_API QuorbItem* CaseSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: blanks are tokens the rule sees. */
QUORB_API QuorbItem* WhitespaceSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: a code block is entered and rewritten; 0: it is left alone. */
QUORB_API QuorbItem* CodeBlockSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: quoted text is one token, left alone; 0: its inside is read. */
QUORB_API QuorbItem* QuoteSensitive(QuorbItem* rule, int32_t flag);
/* Non-zero: matches are passed over, not replaced. */
QUORB_API QuorbItem* SkipOver(QuorbItem* rule, int32_t flag);
/* Non-zero: a replacement is read again from its start, so rules apply to it. */
QUORB_API QuorbItem* RewindOnChange(QuorbItem* rule, int32_t flag);
/* Non-zero: the match limits count from the end of the text. */
QUORB_API QuorbItem* RightToLeft(QuorbItem* rule, int32_t flag);
/* Among rules of the same first word, higher precedence is tried first. */
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
/* C++ hosts: `target` is a std::string the caller owns and keeps alive;
 * it becomes the input by exchange and each Transform hands the result back
 * into it. Null drops the link. Returns the transform; null while it runs. */
QUORB_API QuorbTransform* SetInputByRef(QuorbTransform* transform, void* target);
/* Rewrites the stored input in place by the passes, then the rules.
 * Returns the transform; null (error 9) while it runs. */
QUORB_API QuorbTransform* Transform(QuorbTransform* transform);
/* The transform's current text; "" for null. Library-owned, valid until
 * the next ResultStr call. */
QUORB_API const char* ResultStr(QuorbTransform* transform);
/* Whether the transform's last expansion changed its text. */
QUORB_API bool WasModified(QuorbTransform* transform);
/* `text` rewritten by the transform; the stored input is untouched. "" for
 * null. Library-owned, valid until the next Expand call. */
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

#ifdef __cplusplus
}
#endif

#endif /* QUORB_H */
