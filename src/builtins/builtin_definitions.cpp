// The built-in definition list, in the order the instance defines it.
#include "builtins/builtin_definitions.h"

#include "builtins/bitwise.h"
#include "builtins/comparisons.h"
#include "builtins/complex_arithmetic.h"
#include "builtins/complex_functions.h"
#include "builtins/core_callbacks.h"
#include "builtins/double_arithmetic.h"
#include "builtins/int_arithmetic.h"
#include "builtins/language_callbacks.h"
#include "builtins/pointer_callbacks.h"
#include "builtins/random_numbers.h"
#include "builtins/real_math.h"
#include "builtins/string_callbacks.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

const BuiltinDefinition BuiltinDefinitionList[] = {
    // Complex functions, before the real rows of the same names.
    {"Function: Real(x As Complex)", &Complex_Real},
    {"Function: Imag(x As Complex)", &Complex_Imag},
    {"Function: Abs(x As Complex)", &Complex_Abs},
    {"Function: Arg(x As Complex)", &Complex_Arg},
    {"Function: Norm(x As Complex)", &Complex_Norm},
    {"Function: Conj(x As Complex) As Complex", &Complex_Conj},
    {"Function: Polar(x As Complex) As Complex", &Complex_Polar},
    {"Function: Proj(x As Complex) As Complex", &Complex_Proj},
    {"Function: Cos(x As Complex) As Complex", &Cos_Complex},
    {"Function: Cosh(x As Complex) As Complex", &Cosh_Complex},
    {"Function: Exp(x As Complex) As Complex", &Exp_Complex},
    {"Function: Log(x As Complex) As Complex", &Log_Complex},
    {"Function: Log10(x As Complex) As Complex", &Log10_Complex},
    {"Function: Pow(x As Complex, y As Complex) As Complex", &Pow_Complex},
    {"Function: Sin(x As Complex) As Complex", &Sin_Complex},
    {"Function: Sinh(x As Complex) As Complex", &Sinh_Complex},
    {"Function: Sqrt(x As Complex) As Complex", &Sqrt_Complex},
    {"Function: Tan(x As Complex) As Complex", &Tan_Complex},
    {"Function: Tanh(x As Complex) As Complex", &Tanh_Complex},
    {"Function: Acos(x As Complex) As Complex", &Acos_Complex},
    {"Function: Acosh(x As Complex) As Complex", &Acosh_Complex},
    {"Function: Asin(x As Complex) As Complex", &Asin_Complex},
    {"Function: Asinh(x As Complex) As Complex", &Asinh_Complex},
    {"Function: Atan(x As Complex) As Complex", &Atan_Complex},
    {"Function: Atanh(x As Complex) As Complex", &Atanh_Complex},

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
    // Complex arithmetic and comparison, then the String "*" and "+", ahead
    // of the Int rows.
    {"Operator: 50 {x As Complex} + {y As Complex} As Complex", &Complex_Add},
    {"Operator: 50 {x As Complex} + {y} As Complex", &Complex_AddA},
    {"Operator: 50 {x} + {y As Complex} As Complex", &Complex_AddB},
    {"Operator: 50 {x As Complex} - {y As Complex} As Complex", &Complex_Subtract},
    {"Operator: 50 {x As Complex} - {y} As Complex", &Complex_SubtractA},
    {"Operator: 50 {x} - {y As Complex} As Complex", &Complex_SubtractB},
    {"Operator: 60 {x As Complex} * {y As Complex} As Complex", &Complex_Multiply},
    {"Operator: 60 {x As Complex} * {y} As Complex", &Complex_MultiplyA},
    {"Operator: 60 {x} * {y As Complex} As Complex", &Complex_MultiplyB},
    {"Operator: 60 {x As Complex} / {y As Complex} As Complex", &Complex_Divide},
    {"Operator: 60 {x As Complex} / {y} As Complex", &Complex_DivideA},
    {"Operator: 60 {x} / {y As Complex} As Complex", &Complex_DivideB},
    {"Operator: 80 {x As Complex} == {y As Complex} As Bool", &Complex_Equal},
    {"Operator: 80 {x As Complex} <> {y As Complex} As Bool", &Complex_NotEqual},
    {"Operator: 60 {x As String} * {y As Int} As String", &String_Repeat},
    {"Operator: 50 {x As String} + {y As String} As String", &String_AppendCopy},
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
    {"Operator: 80 {x As Complex} ^ {y As Complex} As Complex", &Pow_Complex},
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
    // "AndAlso" joins here.
    {"Operator: 20 {x As Bool} Or {y As Bool} As Bool", &Bitwise_Or},
    // "OrElse" joins here.
    {"Operator: 30 {x As Int} & {y As Int} As Int", &Bitwise_And},
    {"Operator: 20 {x As Int} | {y As Int} As Int", &Bitwise_Or},
    {"Operator: 20 {x As Int} Xor {y As Int} As Int", &Bitwise_Xor},
    {"Operator: 35 {x As Int} ~ {y As Int} As Int", &Bitwise_Not},
    {"Operator: 45 {x As Int} << {y As Int} As Int", &Bitwise_Shl},
    {"Operator: 45 {x As Int} >> {y As Int} As Int", &Bitwise_Shr},

    // Random numbers.
    {"Function: RandomSeed(x As Int) As Void", &RandomSeed},
    {"Function: RandomNumber(x As Int = 0, y As Int = 1000) As Int", &RandomNumber},

    // Strings and files.
    {"Function: Fill(x As Size_t, y As Int8u) As String", &String_Fill},
    {"Function: Length(x As String) As Size_t", &String_Length},
    {"Function: Append(x As String, y As String)", &String_Append},
    {"Function: Append_Copy(x As String, y As String) As String", &String_AppendCopy},
    {"Function: Insert(x As String, y As Size_t, z As String)", &String_Insert},
    {"Function: Insert_Copy(x As String, y As Size_t, z As String) As String", &String_InsertCopy},
    {"Function: Erase(x As String, y As Size_t = 0, z As Size_t = 0)", &String_Erase},
    {"Function: Erase_Copy(x As String, y As Size_t = 0, z As Size_t = 0) As String", &String_EraseCopy},
    {"Function: Replace(a As String, b As Size_t, c As Size_t, d As String)", &String_Replace},
    {"Function: Replace_Copy(a As String, b As Size_t, c As Size_t, d As String) As String", &String_ReplaceCopy},
    {"Function: Find(x As String, y As String, z As Size_t = 0) As Size_t", &String_Find},
    {"Function: RFind(x As String, y As String, z As Size_t = 0) As Size_t", &String_RFind},
    {"Function: Find_First_Of(x As String, y As String, z As Size_t = 0) As Size_t", &String_Find_First_Of},
    {"Function: Find_Last_Of(x As String, y As String, z As Size_t = 0) As Size_t", &String_Find_Last_Of},
    {"Function: Find_First_Not_Of(x As String, y As String, z As Size_t = 0) As Size_t", &String_Find_First_Not_Of},
    {"Function: Find_Last_Not_Of(x As String, y As String, z As Size_t = 0) As Size_t", &String_Find_Last_Not_Of},
    {"Function: Substr(x As String, y As Size_t = 0, z As Size_t = 0) As String", &String_Substr},
    {"Function: Compare(x As String, y As String) As Size_t", &String_Compare},
    {"Function: C_Str(x As String) As Int8u Ptr", &String_C_Str},
    {"Function: Repeat(x As String, y As Size_t) As String", &String_Repeat},
    {"Function: LCase(x As String) As String", &String_LCase},
    {"Function: UCase(x As String) As String", &String_UCase},
    {"Function: LTrim(x As String, Chars As String = \" \") As String", &String_LTrim},
    {"Function: RTrim(x As String, Chars As String = \" \") As String", &String_RTrim},
    {"Function: Trim(x As String, Chars As String = \" \") As String", &String_Trim},
    {"Function: Bin(x As Int) As String", &String_Bin},
    {"Function: Oct(x As Int) As String", &String_Oct},
    {"Function: Hex(x As Int) As String", &String_Hex},
    {"Function: File(Name As String) As String", &String_File},
    {"Function: FileSize(Name As String) As Size_t", &String_FileSize},

    // Language and meta functions. Error and Error-with-message join first.
    {"Function: EvalReturn", &EvalReturn},
    {"Function: SetVar(Variable As AnyType, Value As AnyType) As AnyType", &SetVar},
    // Swap and Reset join here.
    {"Function: AddressOf(Variable As AnyType) As AnyType Ptr", &AddressOf},
    {"Function: ValueAt(Address As AnyType Ptr, Index As Int = 0) As AnyType", &ValueAt},
    {"Function: AddPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &AddPtr},
    {"Function: SubtractPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &SubtractPtr},
    {"Function: IIf(Condition As Bool, ByExpr TruePart As AnyType, ByExpr FalsePart As AnyType)", &IIf},
    {"Function: IIf(Condition As Bool, ByExpr TruePart As String, ByExpr FalsePart As String = \"\") As String",
     &IIf},
    {"Function: GoTo(Label)", nullptr},
    // Precedence, Str, Arg, ArgCount, the run-time parse, evaluate and define
    // functions, QuorbInstance, Min and Max, the loops, BaseConvert and Sgn
    // join here.
    {"Function: Inf() = 1/0", nullptr},
    {"Function: NaN() = 0/0", nullptr},
};

const size_t BuiltinDefinitionCount = sizeof BuiltinDefinitionList / sizeof BuiltinDefinitionList[0];

void DefineBuiltins(Quorb& instance) {
  for (const BuiltinDefinition& row : BuiltinDefinitionList) instance.Define(row.Text, row.Callback, nullptr);
}

}  // namespace QuorbNameSpace
