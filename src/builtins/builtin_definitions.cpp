// The built-in definition list, in the order the instance defines it.
#include "builtins/builtin_definitions.h"

#include "builtins/bitwise.h"
#include "builtins/comparisons.h"
#include "builtins/core_callbacks.h"
#include "builtins/double_arithmetic.h"
#include "builtins/int_arithmetic.h"
#include "builtins/language_callbacks.h"
#include "builtins/meta_callbacks.h"
#include "builtins/pointer_callbacks.h"
#include "builtins/random_numbers.h"
#include "builtins/real_math.h"
#include "builtins/value_callbacks.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

const BuiltinDefinition BuiltinDefinitionList[] = {
    // Complex functions join here, before the real rows of the same names.

    // Real functions.
    {"Function: Cos(x)", &Cos},
    {"Function: Sin(x)", &Sin},
    {"Function: Tan(x)", &Tan},
    {"Function: Acos(x)", &Acos},
    {"Function: Asin(x)", &Asin},
    {"Function: Atan(x)", &Atan},
    {"Function: Atan2(x, y)", &Atan2},
    {"Function: Cosh(x)", &Cosh},
    {"Function: Sinh(x)", &Sinh},
    {"Function: Tanh(x)", &Tanh},
    {"Function: Acosh(x)", &Acosh},
    {"Function: Asinh(x)", &Asinh},
    {"Function: Atanh(x)", &Atanh},
    {"Function: Exp(x)", &Exp},
    {"Function: Frexp(x, y As Int Ptr)", &Frexp},
    {"Function: Ldexp(x, y As Int)", &Ldexp},
    {"Function: Log(x)", &Log},
    {"Function: Log10(x)", &Log10},
    {"Function: Modf(x, y As Double Ptr)", &Modf},
    {"Function: Exp2(x)", &Exp2},
    {"Function: Expm1(x)", &Expm1},
    {"Function: Ilogb(x)", &Ilogb},
    {"Function: Log1p(x)", &Log1p},
    {"Function: Log2(x)", &Log2},
    {"Function: Logb(x)", &Logb},
    {"Function: Scalbn(x, y As Int)", &Scalbn},
    {"Function: Scalbln(x, y As Int)", &Scalbln},
    {"Function: Pow(x, y As Int)", &Pow_Int},
    {"Function: Pow(x, y)", &Pow},
    {"Function: Sqr(x)", &Sqrt},
    {"Function: Sqrt(x)", &Sqrt},
    {"Function: Cbrt(x)", &Cbrt},
    {"Function: Hypot(x, y)", &Hypot},
    {"Function: Erf(x)", &Erf},
    {"Function: Erfc(x)", &Erfc},
    {"Function: Tgamma(x)", &Tgamma},
    {"Function: Lgamma(x)", &Lgamma},
    {"Function: Ceil(x)", &Ceil},
    {"Function: Floor(x)", &Floor},
    {"Function: Fmod(x, y)", &Fmod},
    {"Function: Trunc(x)", &Trunc},
    {"Function: Round(x)", &Round},
    {"Function: Lround(x) As Int", &Lround},
    {"Function: Llround(x) As Int64", &Llround},
    {"Function: Rint(x)", &Rint},
    {"Function: Lrint(x) As Int", &Lrint},
    {"Function: Llrint(x) As Int64", &Llrint},
    {"Function: Nearbyint(x)", &Nearbyint},
    {"Function: Remainder(x, y)", &Remainder},
    {"Function: Remquo(x, y, z As Int Ptr)", &Remquo},
    {"Function: Copysign(x, y)", &Copysign},
    {"Function: Nextafter(x, y)", &Nextafter},
    {"Function: Nexttoward(x, y)", &Nexttoward},
    {"Function: Fdim(x, y)", &Fdim},
    {"Function: Fmax(x, y)", &Fmax},
    {"Function: Fmin(x, y)", &Fmin},
    {"Function: Abs(x)", &Abs},
    {"Function: Fabs(x)", &Fabs},
    {"Function: Fpclassify(x) As Int", &Fpclassify},
    {"Function: Isfinite(x) As Bool", &Isfinite},
    {"Function: IsInf(x) As Bool", &IsInf},
    {"Function: IsNaN(x) As Bool", &IsNaN},
    {"Function: IsNormal(x) As Bool", &IsNormal},
    {"Function: SignBit(x) As Bool", &SignBit},

    // Operators.
    {"Operator: 15:RL {x As AnyType} = {y As AnyType} As AnyType", &SetVar},
    // Complex arithmetic and comparison operators join here, then the String
    // "*" and "+" operators, ahead of the Int rows.
    {"Operator: 50 {x As Int} + {y As Int} As Int", &Add_Int},
    {"Operator: 50 {x As Int} - {y As Int} As Int", &Subtract_Int},
    {"Operator: 60 {x As Int} * {y As Int} As Int", &Multiply_Int},
    {"Operator: 60 {x As Int} / {y As Int} As Int", &Divide_Int},
    {"Operator: 60 {x As Int} % {y As Int} As Int", &Modulo_Int},
    {"Operator: 50 {x} + {y}", &Add},
    {"Operator: 50 {x} - {y}", &Subtract},
    {"Operator: 60 {x} * {y}", &Multiply},
    {"Operator: 60 {x} / {y}", &Divide},
    {"Operator: 60 {x} mod {y}", &Fmod},
    {"Operator: 70 +{x}", &UnaryPlus},
    {"Operator: 70 -{x}", &UnaryMinus},
    {"Operator: 90 {x}!", &Factorial},
    // The Complex "^" operator joins here, ahead of the real ones.
    {"Operator: 80 {x} ^ {y As Int}", &Pow_Int},
    {"Operator: 80 {x} ^ {y}", &Pow},
    // The two blanks before the second brace of "<" and ">" are part of the
    // texts.
    {"Operator: 40 {ByRef x As String} == {ByRef y As String} As Bool", &Equal_Str},
    {"Operator: 40 {ByRef x As String} <> {ByRef y As String} As Bool", &NotEqual_Str},
    {"Operator: 40 {ByRef x As String} <  {ByRef y As String} As Bool", &LessThan_Str},
    {"Operator: 40 {ByRef x As String} >  {ByRef y As String} As Bool", &GreaterThan_Str},
    {"Operator: 40 {ByRef x As String} <= {ByRef y As String} As Bool", &LessThanOrEqual_Str},
    {"Operator: 40 {ByRef x As String} >= {ByRef y As String} As Bool", &GreaterThanOrEqual_Str},
    {"Operator: 40 {x As Int} == {y As Int} As Bool", &Equal_Int},
    {"Operator: 40 {x As Int} <> {y As Int} As Bool", &NotEqual_Int},
    {"Operator: 40 {x As Int} < {y As Int} As Bool", &LessThan_Int},
    {"Operator: 40 {x As Int} > {y As Int} As Bool", &GreaterThan_Int},
    {"Operator: 40 {x As Int} <= {y As Int} As Bool", &LessThanOrEqual_Int},
    {"Operator: 40 {x As Int} >= {y As Int} As Bool", &GreaterThanOrEqual_Int},
    {"Operator: 40 {x} == {y} As Bool", &Equal},
    {"Operator: 40 {x} <> {y} As Bool", &NotEqual},
    {"Operator: 40 {x} < {y} As Bool", &LessThan},
    {"Operator: 40 {x} > {y} As Bool", &GreaterThan},
    {"Operator: 40 {x} <= {y} As Bool", &LessThanOrEqual},
    {"Operator: 40 {x} >= {y} As Bool", &GreaterThanOrEqual},
    // "Not" and "!" declare their operand and result types: the callbacks
    // read and write those widths (a 32-bit Int for the complement; a Double
    // in and a one-byte Bool out for the logical not), which an operand
    // without "As" and no result type would not give them.
    {"Operator: 35 Not {x As Int} As Int", &Bitwise_Not},
    {"Operator: 35 ! {x As Double} As Bool", &Boolean_Not},
    {"Operator: 30 {x As Bool} And {y As Bool} As Bool", &Bitwise_And},
    {"Operator: 30 {x As Bool} AndAlso {ByExpr y As Bool} As Bool", &AndAlso},
    {"Operator: 20 {x As Bool} Or {y As Bool} As Bool", &Bitwise_Or},
    {"Operator: 20 {x As Bool} OrElse {ByExpr y As Bool} As Bool", &OrElse},
    {"Operator: 30 {x As Int} & {y As Int} As Int", &Bitwise_And},
    {"Operator: 20 {x As Int} | {y As Int} As Int", &Bitwise_Or},
    {"Operator: 20 {x As Int} Xor {y As Int} As Int", &Bitwise_Xor},
    {"Operator: 35 {x As Int} ~ {y As Int} As Int", &Bitwise_Not},
    {"Operator: 45 {x As Int} << {y As Int} As Int", &Bitwise_Shl},
    {"Operator: 45 {x As Int} >> {y As Int} As Int", &Bitwise_Shr},

    // Random numbers.
    {"Function: RandomSeed(x As Int) As Void", &RandomSeed},
    {"Function: RandomNumber(x As Int = 0, y As Int = 1000) As Int", &RandomNumber},

    // String and file functions join here.

    // Language and meta functions.
    {"Function: Error(Number As Int) As Int", &RaiseError},
    {"Function: Error(Message As String) As Int", &RaiseErrorMessage},
    {"Function: EvalReturn", &EvalReturn},
    {"Function: SetVar(Variable As AnyType, Value As AnyType) As AnyType", &SetVar},
    {"Function: Swap(ByHandle x As AnyType, ByHandle y As AnyType) As Void", &Swap},
    {"Function: Reset(ByHandle Variable As AnyType) As Void", &Reset},
    {"Function: AddressOf(Variable As AnyType) As AnyType Ptr", &AddressOf},
    {"Function: ValueAt(Address As AnyType Ptr, Index As Int = 0) As AnyType", &ValueAt},
    {"Function: AddPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &AddPtr},
    {"Function: SubtractPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &SubtractPtr},
    {"Function: IIf(Condition As Bool, ByExpr TruePart As AnyType, ByExpr FalsePart As AnyType)", &IIf},
    {"Function: IIf(Condition As Bool, ByExpr TruePart As String, ByExpr FalsePart As String = \"\") As String",
     &IIf},
    {"Function: GoTo(Label)", nullptr},
    {"Function: Precedence(Op As String, Properties As Int = 0) As Int", &qr_Precedence},
    {"Function: Str(Value As AnyType) As String", &qr_Str},
    {"Function: Arg(x As Int)", &qr_Arg},
    {"Function: ArgCount() As Int", &qr_ArgCount},
    {"Function: Parse(Expression As String, DataType As String = \"\") As Pointer", &qr_Parse},
    {"Function: Eval(Expression As String)", &qr_Eval},
    {"Function: EvalStr(Expression As String) As String", &qr_EvalStr},
    {"Function: Evaluate(Ptr As Pointer) As Double", &qr_Evaluate},
    {"Function: EvaluateInt(Ptr As Pointer) As Double", &qr_EvaluateInt},
    {"Function: EvaluateStr(Ptr As Pointer) As String", &qr_EvaluateStr},
    {"Function: ExprPtr(Expr As AnyType) As Pointer", &qr_ExprPtr},
    {"Function: Define(Def As String, Addr As Int64u = 0, ExistingItem As Int64u = 0) As Int64u", &qr_Define},
    {"Function: QuorbInstance() As Int64u", &qr_QuorbInstance},
    {"Function: Min(x ...)", &qr_Min},
    {"Function: Max(x ...)", &qr_Max},
    {"Function: Min(x As String ...) As String", &qr_MinStr},
    {"Function: Max(x As String ...) As String", &qr_MaxStr},
    {"Function: DoLoop(ByExpr DoCondition As Bool, ByExpr Expression As AnyType, ByExpr LoopCondition As Bool = True) As "
     "Void",
     &DoLoop},
    {"Function: ForLoop(Counter As AnyType, Start, Finish, Step, ByExpr Expression As AnyType)", &ForLoop},
    {"Function: BaseConvert(Number As String, Base As Int)", &BaseConvert},
    {"Function: Sgn(Number)", &qr_Sgn},
    {"Function: Inf() = 1/0", nullptr},
    {"Function: NaN() = 0/0", nullptr},
};

const size_t BuiltinDefinitionCount = sizeof BuiltinDefinitionList / sizeof BuiltinDefinitionList[0];

void DefineBuiltins(Quorb& instance) {
  for (const BuiltinDefinition& row : BuiltinDefinitionList) instance.Define(row.Text, row.Callback, nullptr);
}

}  // namespace QuorbNameSpace
