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
#include "builtins/meta_callbacks.h"
#include "builtins/pointer_callbacks.h"
#include "builtins/random_numbers.h"
#include "builtins/real_math.h"
#include "builtins/string_callbacks.h"
#include "builtins/value_callbacks.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

namespace {

constexpr BuiltinRoles RoleSet(uint64_t bits, FusionRole fusion = FusionRole::None) {
  return BuiltinRoles{bits, fusion, nullptr, nullptr};
}

// The role sets of the rows. A pure step with a fusion role is a Double
// operator or a Double math function that a fused run may hold.
constexpr BuiltinRoles PureStep = RoleSet(RoleBit(RolePure));
constexpr BuiltinRoles PureAdd = RoleSet(RoleBit(RolePure), FusionRole::Add);
constexpr BuiltinRoles PureSubtract = RoleSet(RoleBit(RolePure), FusionRole::Subtract);
constexpr BuiltinRoles PureMultiply = RoleSet(RoleBit(RolePure), FusionRole::Multiply);
constexpr BuiltinRoles PureDivide = RoleSet(RoleBit(RolePure), FusionRole::Divide);
constexpr BuiltinRoles PureNegate = RoleSet(RoleBit(RolePure), FusionRole::Negate);
constexpr BuiltinRoles PureCopy = RoleSet(RoleBit(RolePure), FusionRole::Copy);
constexpr BuiltinRoles PureUnary = RoleSet(RoleBit(RolePure), FusionRole::Unary);
constexpr BuiltinRoles PureBinary = RoleSet(RoleBit(RolePure), FusionRole::Binary);
constexpr BuiltinRoles Assignment = RoleSet(RoleBit(RoleAssignment));
constexpr BuiltinRoles TakesAddress = RoleSet(RoleBit(RoleAddressOf));
constexpr BuiltinRoles Dereference = RoleSet(RoleBit(RoleDereference) | RoleBit(RoleTypeCarrier));
constexpr BuiltinRoles PointerArithmetic = RoleSet(RoleBit(RolePointerArithmetic) | RoleBit(RoleTypeCarrier));
constexpr BuiltinRoles Conditional = RoleSet(RoleBit(RoleConditional));
constexpr BuiltinRoles InPlaceByHandle = RoleSet(RoleBit(RoleInPlaceByHandle));
constexpr BuiltinRoles WritesFirstArgument = RoleSet(RoleBit(RoleWritesFirstArgument));

}  // namespace

const BuiltinBinding ConversionStep = {&ConvertPartFunc, BuiltinRoles()};
const BuiltinBinding AnyVariableRead = {&ReadAnyAsPartFunc, BuiltinRoles()};
const BuiltinBinding PointerRead = {&ValueAt, Dereference};
const BuiltinBinding PointerAssignment = {&SetVarPtr, RoleSet(RoleBit(RolePointerAssignment))};
const BuiltinBinding BodyCall = {&UserFunction, RoleSet(RoleBit(RoleBodyCall))};

const BuiltinDefinition BuiltinDefinitionList[] = {
    // Complex functions, before the real rows of the same names.
    {"Function: Real(x As Complex)", &Complex_Real, PureStep},
    {"Function: Imag(x As Complex)", &Complex_Imag, PureStep},
    {"Function: Abs(x As Complex)", &Complex_Abs, PureStep},
    {"Function: Arg(x As Complex)", &Complex_Arg, PureStep},
    {"Function: Norm(x As Complex)", &Complex_Norm, PureStep},
    {"Function: Conj(x As Complex) As Complex", &Complex_Conj, PureStep},
    {"Function: Polar(x As Complex) As Complex", &Complex_Polar, PureStep},
    {"Function: Proj(x As Complex) As Complex", &Complex_Proj, PureStep},
    {"Function: Cos(x As Complex) As Complex", &Cos_Complex, PureStep},
    {"Function: Cosh(x As Complex) As Complex", &Cosh_Complex, PureStep},
    {"Function: Exp(x As Complex) As Complex", &Exp_Complex, PureStep},
    {"Function: Log(x As Complex) As Complex", &Log_Complex, PureStep},
    {"Function: Log10(x As Complex) As Complex", &Log10_Complex, PureStep},
    {"Function: Pow(x As Complex, y As Complex) As Complex", &Pow_Complex, PureStep},
    {"Function: Sin(x As Complex) As Complex", &Sin_Complex, PureStep},
    {"Function: Sinh(x As Complex) As Complex", &Sinh_Complex, PureStep},
    {"Function: Sqrt(x As Complex) As Complex", &Sqrt_Complex, PureStep},
    {"Function: Tan(x As Complex) As Complex", &Tan_Complex, PureStep},
    {"Function: Tanh(x As Complex) As Complex", &Tanh_Complex, PureStep},
    {"Function: Acos(x As Complex) As Complex", &Acos_Complex, PureStep},
    {"Function: Acosh(x As Complex) As Complex", &Acosh_Complex, PureStep},
    {"Function: Asin(x As Complex) As Complex", &Asin_Complex, PureStep},
    {"Function: Asinh(x As Complex) As Complex", &Asinh_Complex, PureStep},
    {"Function: Atan(x As Complex) As Complex", &Atan_Complex, PureStep},
    {"Function: Atanh(x As Complex) As Complex", &Atanh_Complex, PureStep},

    // Real functions.
    {"Function: Cos(x)", &Cos, PureUnary},
    {"Function: Sin(x)", &Sin, PureUnary},
    {"Function: Tan(x)", &Tan, PureUnary},
    {"Function: Acos(x)", &Acos, PureUnary},
    {"Function: Asin(x)", &Asin, PureUnary},
    {"Function: Atan(x)", &Atan, PureUnary},
    {"Function: Atan2(x, y)", &Atan2, PureBinary},
    {"Function: Cosh(x)", &Cosh, PureUnary},
    {"Function: Sinh(x)", &Sinh, PureUnary},
    {"Function: Tanh(x)", &Tanh, PureUnary},
    {"Function: Acosh(x)", &Acosh, PureUnary},
    {"Function: Asinh(x)", &Asinh, PureUnary},
    {"Function: Atanh(x)", &Atanh, PureUnary},
    {"Function: Exp(x)", &Exp, PureUnary},
    {"Function: Frexp(x, y As Int Ptr)", &Frexp},
    {"Function: Ldexp(x, y As Int)", &Ldexp, PureStep},
    {"Function: Log(x)", &Log, PureUnary},
    {"Function: Log10(x)", &Log10, PureUnary},
    {"Function: Modf(x, y As Double Ptr)", &Modf},
    {"Function: Exp2(x)", &Exp2, PureUnary},
    {"Function: Expm1(x)", &Expm1, PureUnary},
    {"Function: Ilogb(x)", &Ilogb, PureStep},
    {"Function: Log1p(x)", &Log1p, PureUnary},
    {"Function: Log2(x)", &Log2, PureUnary},
    {"Function: Logb(x)", &Logb, PureStep},
    {"Function: Scalbn(x, y As Int)", &Scalbn, PureStep},
    {"Function: Scalbln(x, y As Int)", &Scalbln, PureStep},
    {"Function: Pow(x, y As Int)", &Pow_Int, PureStep},
    {"Function: Pow(x, y)", &Pow, PureBinary},
    {"Function: Sqr(x)", &Sqrt, PureUnary},
    {"Function: Sqrt(x)", &Sqrt, PureUnary},
    {"Function: Cbrt(x)", &Cbrt, PureUnary},
    {"Function: Hypot(x, y)", &Hypot, PureBinary},
    {"Function: Erf(x)", &Erf, PureUnary},
    {"Function: Erfc(x)", &Erfc, PureUnary},
    {"Function: Tgamma(x)", &Tgamma, PureUnary},
    {"Function: Lgamma(x)", &Lgamma, PureUnary},
    {"Function: Ceil(x)", &Ceil, PureUnary},
    {"Function: Floor(x)", &Floor, PureUnary},
    {"Function: Fmod(x, y)", &Fmod, PureBinary},
    {"Function: Trunc(x)", &Trunc, PureUnary},
    {"Function: Round(x)", &Round, PureUnary},
    {"Function: Lround(x) As Int", &Lround, PureStep},
    {"Function: Llround(x) As Int64", &Llround, PureStep},
    {"Function: Rint(x)", &Rint, PureStep},
    {"Function: Lrint(x) As Int", &Lrint, PureStep},
    {"Function: Llrint(x) As Int64", &Llrint, PureStep},
    {"Function: Nearbyint(x)", &Nearbyint, PureStep},
    {"Function: Remainder(x, y)", &Remainder, PureStep},
    {"Function: Remquo(x, y, z As Int Ptr)", &Remquo},
    {"Function: Copysign(x, y)", &Copysign, PureStep},
    {"Function: Nextafter(x, y)", &Nextafter, PureStep},
    {"Function: Nexttoward(x, y)", &Nexttoward},
    {"Function: Fdim(x, y)", &Fdim, PureStep},
    {"Function: Fmax(x, y)", &Fmax, PureStep},
    {"Function: Fmin(x, y)", &Fmin, PureStep},
    {"Function: Abs(x)", &Abs, PureUnary},
    {"Function: Fabs(x)", &Fabs, PureUnary},
    {"Function: Fpclassify(x) As Int", &Fpclassify, PureStep},
    {"Function: Isfinite(x) As Bool", &Isfinite, PureStep},
    {"Function: IsInf(x) As Bool", &IsInf, PureStep},
    {"Function: IsNaN(x) As Bool", &IsNaN, PureStep},
    {"Function: IsNormal(x) As Bool", &IsNormal, PureStep},
    {"Function: SignBit(x) As Bool", &SignBit, PureStep},

    // Operators.
    {"Operator: 15:RL {x As AnyType} = {y As AnyType} As AnyType", &SetVar, Assignment},
    // Complex arithmetic and comparison, then the String "*" and "+", ahead
    // of the Int rows.
    {"Operator: 50 {x As Complex} + {y As Complex} As Complex", &Complex_Add, PureStep},
    {"Operator: 50 {x As Complex} + {y} As Complex", &Complex_AddA, PureStep},
    {"Operator: 50 {x} + {y As Complex} As Complex", &Complex_AddB, PureStep},
    {"Operator: 50 {x As Complex} - {y As Complex} As Complex", &Complex_Subtract, PureStep},
    {"Operator: 50 {x As Complex} - {y} As Complex", &Complex_SubtractA, PureStep},
    {"Operator: 50 {x} - {y As Complex} As Complex", &Complex_SubtractB, PureStep},
    {"Operator: 60 {x As Complex} * {y As Complex} As Complex", &Complex_Multiply, PureStep},
    {"Operator: 60 {x As Complex} * {y} As Complex", &Complex_MultiplyA, PureStep},
    {"Operator: 60 {x} * {y As Complex} As Complex", &Complex_MultiplyB, PureStep},
    {"Operator: 60 {x As Complex} / {y As Complex} As Complex", &Complex_Divide, PureStep},
    {"Operator: 60 {x As Complex} / {y} As Complex", &Complex_DivideA, PureStep},
    {"Operator: 60 {x} / {y As Complex} As Complex", &Complex_DivideB, PureStep},
    {"Operator: 80 {x As Complex} == {y As Complex} As Bool", &Complex_Equal, PureStep},
    {"Operator: 80 {x As Complex} <> {y As Complex} As Bool", &Complex_NotEqual, PureStep},
    {"Operator: 60 {x As String} * {y As Int} As String", &String_Repeat},
    {"Operator: 50 {x As String} + {y As String} As String", &String_AppendCopy},
    {"Operator: 50 {x As Int} + {y As Int} As Int", &Add_Int, PureStep},
    {"Operator: 50 {x As Int} - {y As Int} As Int", &Subtract_Int, PureStep},
    {"Operator: 60 {x As Int} * {y As Int} As Int", &Multiply_Int, PureStep},
    {"Operator: 60 {x As Int} / {y As Int} As Int", &Divide_Int},
    {"Operator: 60 {x As Int} % {y As Int} As Int", &Modulo_Int},
    {"Operator: 50 {x} + {y}", &Add, PureAdd},
    {"Operator: 50 {x} - {y}", &Subtract, PureSubtract},
    {"Operator: 60 {x} * {y}", &Multiply, PureMultiply},
    {"Operator: 60 {x} / {y}", &Divide, PureDivide},
    {"Operator: 60 {x} mod {y}", &Fmod, PureBinary},
    {"Operator: 70 +{x}", &UnaryPlus, PureCopy},
    {"Operator: 70 -{x}", &UnaryMinus, PureNegate},
    {"Operator: 90 {x}!", &Factorial, PureStep},
    {"Operator: 80 {x As Complex} ^ {y As Complex} As Complex", &Pow_Complex, PureStep},
    {"Operator: 80 {x} ^ {y As Int}", &Pow_Int, PureStep},
    {"Operator: 80 {x} ^ {y}", &Pow, PureBinary},
    // The two blanks before the second brace of "<" and ">" are part of the
    // texts.
    {"Operator: 40 {ByRef x As String} == {ByRef y As String} As Bool", &Equal_Str},
    {"Operator: 40 {ByRef x As String} <> {ByRef y As String} As Bool", &NotEqual_Str},
    {"Operator: 40 {ByRef x As String} <  {ByRef y As String} As Bool", &LessThan_Str},
    {"Operator: 40 {ByRef x As String} >  {ByRef y As String} As Bool", &GreaterThan_Str},
    {"Operator: 40 {ByRef x As String} <= {ByRef y As String} As Bool", &LessThanOrEqual_Str},
    {"Operator: 40 {ByRef x As String} >= {ByRef y As String} As Bool", &GreaterThanOrEqual_Str},
    {"Operator: 40 {x As Int} == {y As Int} As Bool", &Equal_Int, PureStep},
    {"Operator: 40 {x As Int} <> {y As Int} As Bool", &NotEqual_Int, PureStep},
    {"Operator: 40 {x As Int} < {y As Int} As Bool", &LessThan_Int, PureStep},
    {"Operator: 40 {x As Int} > {y As Int} As Bool", &GreaterThan_Int, PureStep},
    {"Operator: 40 {x As Int} <= {y As Int} As Bool", &LessThanOrEqual_Int, PureStep},
    {"Operator: 40 {x As Int} >= {y As Int} As Bool", &GreaterThanOrEqual_Int, PureStep},
    {"Operator: 40 {x} == {y} As Bool", &Equal, PureStep},
    {"Operator: 40 {x} <> {y} As Bool", &NotEqual, PureStep},
    {"Operator: 40 {x} < {y} As Bool", &LessThan, PureStep},
    {"Operator: 40 {x} > {y} As Bool", &GreaterThan, PureStep},
    {"Operator: 40 {x} <= {y} As Bool", &LessThanOrEqual, PureStep},
    {"Operator: 40 {x} >= {y} As Bool", &GreaterThanOrEqual, PureStep},
    // "Not" and "!" declare their operand and result types: the callbacks
    // read and write those widths (a 32-bit Int for the complement; a Double
    // in and a one-byte Bool out for the logical not), which an operand
    // without "As" and no result type would not give them.
    {"Operator: 35 Not {x As Int} As Int", &Bitwise_Not, PureStep},
    {"Operator: 35 ! {x As Double} As Bool", &Boolean_Not, PureStep},
    {"Operator: 30 {x As Bool} And {y As Bool} As Bool", &Bitwise_And, PureStep},
    {"Operator: 30 {x As Bool} AndAlso {ByExpr y As Bool} As Bool", &AndAlso},
    {"Operator: 20 {x As Bool} Or {y As Bool} As Bool", &Bitwise_Or, PureStep},
    {"Operator: 20 {x As Bool} OrElse {ByExpr y As Bool} As Bool", &OrElse},
    {"Operator: 30 {x As Int} & {y As Int} As Int", &Bitwise_And, PureStep},
    {"Operator: 20 {x As Int} | {y As Int} As Int", &Bitwise_Or, PureStep},
    {"Operator: 20 {x As Int} Xor {y As Int} As Int", &Bitwise_Xor, PureStep},
    {"Operator: 35 {x As Int} ~ {y As Int} As Int", &Bitwise_Not, PureStep},
    {"Operator: 45 {x As Int} << {y As Int} As Int", &Bitwise_Shl, PureStep},
    {"Operator: 45 {x As Int} >> {y As Int} As Int", &Bitwise_Shr, PureStep},

    // Random numbers.
    {"Function: RandomSeed(x As Int) As Void", &RandomSeed},
    {"Function: RandomNumber(x As Int = 0, y As Int = 1000) As Int", &RandomNumber},

    // Strings and files.
    {"Function: Fill(x As Size_t, y As Int8u) As String", &String_Fill},
    {"Function: Length(x As String) As Size_t", &String_Length},
    {"Function: Append(x As String, y As String)", &String_Append, WritesFirstArgument},
    {"Function: Append_Copy(x As String, y As String) As String", &String_AppendCopy},
    {"Function: Insert(x As String, y As Size_t, z As String)", &String_Insert, WritesFirstArgument},
    {"Function: Insert_Copy(x As String, y As Size_t, z As String) As String", &String_InsertCopy},
    {"Function: Erase(x As String, y As Size_t = 0, z As Size_t = 0)", &String_Erase, WritesFirstArgument},
    {"Function: Erase_Copy(x As String, y As Size_t = 0, z As Size_t = 0) As String", &String_EraseCopy},
    {"Function: Replace(a As String, b As Size_t, c As Size_t, d As String)", &String_Replace, WritesFirstArgument},
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

    // Language and meta functions.
    {"Function: Error(Number As Int) As Int", &RaiseError},
    {"Function: Error(Message As String) As Int", &RaiseErrorMessage},
    {"Function: EvalReturn", &EvalReturn},
    {"Function: SetVar(Variable As AnyType, Value As AnyType) As AnyType", &SetVar, Assignment},
    {"Function: Swap(ByHandle x As AnyType, ByHandle y As AnyType) As Void", &Swap, InPlaceByHandle},
    {"Function: Reset(ByHandle Variable As AnyType) As Void", &Reset, InPlaceByHandle},
    {"Function: AddressOf(Variable As AnyType) As AnyType Ptr", &AddressOf, TakesAddress},
    {"Function: ValueAt(Address As AnyType Ptr, Index As Int = 0) As AnyType", &ValueAt, Dereference},
    {"Function: AddPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &AddPtr, PointerArithmetic},
    {"Function: SubtractPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &SubtractPtr, PointerArithmetic},
    {"Function: IIf(Condition As Bool, ByExpr TruePart As AnyType, ByExpr FalsePart As AnyType)", &IIf, Conditional},
    {"Function: IIf(Condition As Bool, ByExpr TruePart As String, ByExpr FalsePart As String = \"\") As String",
     &IIf, Conditional},
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
    {"Function: ForLoop(Counter As AnyType, Start, Finish, Step, ByExpr Expression As AnyType)", &ForLoop,
     WritesFirstArgument},
    {"Function: BaseConvert(Number As String, Base As Int)", &BaseConvert},
    {"Function: Sgn(Number)", &qr_Sgn},
    {"Function: Inf() = 1/0", nullptr},
    {"Function: NaN() = 0/0", nullptr},
};

const size_t BuiltinDefinitionCount = sizeof BuiltinDefinitionList / sizeof BuiltinDefinitionList[0];

static BuiltinRoles CompleteRoles(const BuiltinDefinition& row) {
  BuiltinRoles roles = row.Roles;
  if (roles.Fusion == FusionRole::Unary || roles.Fusion == FusionRole::Binary) {
    const RealValueFunction function = RealValueFunctionOf(row.Callback);
    roles.Unary = function.unary;
    roles.Binary = function.binary;
  }
  return roles;
}

// Made by the first caller, safely when several threads ask at once, and
// never freed: items of any instance link to the records.
static const BuiltinRoles* RowRoleRecords() {
  static const BuiltinRoles* const records = [] {
    auto* made = new BuiltinRoles[BuiltinDefinitionCount];
    for (size_t row = 0; row < BuiltinDefinitionCount; ++row) made[row] = CompleteRoles(BuiltinDefinitionList[row]);
    return made;
  }();
  return records;
}

const BuiltinRoles& RolesOf(const BuiltinDefinition& row) {
  const size_t index = static_cast<size_t>(&row - BuiltinDefinitionList);
  QUORB_ASSERT(index < BuiltinDefinitionCount);
  return RowRoleRecords()[index];
}

const BuiltinDefinition* BuiltinRowAt(ErasedFunction function) {
  for (const BuiltinDefinition& row : BuiltinDefinitionList)
    if (row.Callback != nullptr && reinterpret_cast<ErasedFunction>(row.Callback) == function) return &row;
  return nullptr;
}

const BuiltinRoles& RolesOfCode(QuorbCallback callback) {
  if (callback == nullptr) return NoBuiltinRoles;
  if (const BuiltinDefinition* row = BuiltinRowAt(reinterpret_cast<ErasedFunction>(callback))) return RolesOf(*row);
  for (const BuiltinBinding* binding : {&ConversionStep, &AnyVariableRead, &PointerRead, &PointerAssignment, &BodyCall})
    if (binding->Callback == callback) return binding->Roles;
  return NoBuiltinRoles;
}

void DefineBuiltins(Quorb& instance, size_t first, size_t end) {
  for (size_t row = first; row < end && row < BuiltinDefinitionCount; ++row) {
    const BuiltinDefinition& definition = BuiltinDefinitionList[row];
    instance.DefineOwn(definition.Text, definition.Callback, RolesOf(definition));
  }
}

}  // namespace QuorbNameSpace
