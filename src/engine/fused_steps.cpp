// Fusing runs of Double steps (see fused_steps.h).
#include "engine/fused_steps.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "engine/argument_ownership.h"
#include "engine/double_sums.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

namespace {

// The address of the work of records of `kind` (the threaded dispatch), or
// null where dispatch is a switch.
const void* FusedWork(uint8_t kind);

// A record under construction, with the items it reads and writes.
struct Record {
  ExpressionPart* part;
  FusedOp op;
  FusedCode code;
  size_t operands;
  const QuorbItem* args[2];
  const QuorbItem* result;
  FusedSource sources[2] = {SourceCell, SourceCell};  // the left and the right operand's
  int argSlots[2] = {-1, -1};  // the slot an operand is read from
  int resultSlot = -1;         // the slot the result goes to
  int literalArg = -1;         // the literal operand the record keeps a copy of
};

bool IsDouble(const QuorbItem* item) {
  return item != nullptr && item->DataType != nullptr && item->DataType->Index == TypeDouble;
}

// The code and operand count of a fusable step, read from its fusion role;
// false for any other step.
bool FusableCode(const ExpressionPart& part, Record& record) {
  const BuiltinRoles& roles = part.Roles;
  switch (roles.Fusion) {
    case FusionRole::None: return false;
    case FusionRole::Add: record.code = FusedAdd; break;
    case FusionRole::Subtract: record.code = FusedSubtract; break;
    case FusionRole::Multiply: record.code = FusedMultiply; break;
    case FusionRole::Divide: record.code = FusedDivide; break;
    case FusionRole::Negate: record.code = FusedNegate; break;
    case FusionRole::Copy: record.code = FusedCopy; break;
    case FusionRole::Unary:
      QUORB_ASSERT(roles.Unary != nullptr);
      record.code = FusedUnary;
      record.op.function.unary = roles.Unary;
      break;
    case FusionRole::Binary:
      QUORB_ASSERT(roles.Binary != nullptr);
      record.code = FusedBinary;
      record.op.function.binary = roles.Binary;
      break;
  }
  const bool oneOperand = record.code == FusedNegate || record.code == FusedCopy || record.code == FusedUnary;
  record.operands = oneOperand ? 1 : 2;
  return true;
}

// The record of `part`, when it is a fusable step on Double items.
bool RecordOf(ExpressionPart& part, Record& record) {
  record = Record{};
  record.part = &part;
  if (!FusableCode(part, record)) return false;
  if (part.Args.size() != record.operands || !IsDouble(part.Result)) return false;
  for (const QuorbItem* arg : part.Args)
    if (!IsDouble(arg)) return false;
  record.args[0] = part.Args[0];
  record.args[1] = part.Args[record.operands - 1];
  record.result = part.Result;
  return true;
}

// How many times each item is read in `expr`: as an argument of any of its
// parts, or as the result the terminator hands out.
std::unordered_map<const QuorbItem*, int> ReadCounts(const QuorbParsedExpr& expr) {
  std::unordered_map<const QuorbItem*, int> reads;
  for (const ExpressionPart* part : expr.Parts) {
    for (const QuorbItem* arg : part->Args) ++reads[arg];
    if (part->Next == nullptr && part->Result != nullptr) ++reads[part->Result];
  }
  return reads;
}

// Whether `item` is a temporary of the expression that one step alone
// reads: then it needs no storage of its own when that step is in the run.
bool ReadOnce(const QuorbItem* item, const std::unordered_map<const QuorbItem*, int>& reads) {
  if (item->Has(IsNamedVariable) || item->Has(IsLiteral) || !item->Has(IsOwner)) return false;
  auto found = reads.find(item);
  return found != reads.end() && found->second == 1;
}

// Gives each result that only a later record reads a slot, reusing the
// slots of results already read; returns the number of slots. A record
// reads its operands before it writes its result, so a slot freed by the
// record can take that record's result.
size_t AssignSlots(std::vector<Record>& records, const std::unordered_map<const QuorbItem*, int>& reads) {
  std::unordered_map<const QuorbItem*, int> pending;  // results of the run not yet read
  std::vector<int> free;
  int count = 0;
  for (size_t j = 0; j < records.size(); ++j) {
    Record& record = records[j];
    for (size_t k = 0; k < record.operands; ++k) {
      auto found = pending.find(record.args[k]);
      if (found == pending.end()) continue;
      record.argSlots[k] = found->second;
      free.push_back(found->second);
      pending.erase(found);
    }
    if (!ReadOnce(record.result, reads)) continue;
    if (free.empty()) free.push_back(count++);
    record.resultSlot = free.back();
    free.pop_back();
    pending[record.result] = record.resultSlot;
  }
  // A result nobody in the run read stays in its item.
  for (Record& record : records)
    if (record.resultSlot >= 0 && pending.count(record.result) != 0) record.resultSlot = -1;
  return static_cast<size_t>(count);
}

// The cell an operand of `record` is read through, where it has one.
void* const* OperandCell(Record& record, size_t k, FusedRun& run) {
  if (record.sources[k] != SourceCell) return nullptr;
  if (record.argSlots[k] >= 0) return &run.slotCells[static_cast<size_t>(record.argSlots[k])];
  return &record.args[k]->ValuePtr;
}

// Whether the slots of `run` are where they were made: every slot cell
// points at its own slot.
[[maybe_unused]] bool RunInPlace(const FusedRun& run) {
  for (size_t i = 0; i < run.slotCells.size(); ++i)
    if (i >= run.slots.size() || run.slotCells[i] != &run.slots[i]) return false;
  return true;
}

// Where each operand of the records comes from: the register, for the
// previous record's result; the record's copy, for the first literal
// operand (with its value); else its cell.
void ChooseSources(std::vector<Record>& records) {
  for (size_t j = 0; j < records.size(); ++j) {
    Record& record = records[j];
    const QuorbItem* previous = j > 0 ? records[j - 1].result : nullptr;
    for (size_t k = 0; k < record.operands; ++k) {
      const QuorbItem* arg = record.args[k];
      if (arg == previous) {
        record.sources[k] = SourcePrevious;
      } else if (record.literalArg < 0 && arg->Has(IsLiteral) && arg->ValuePtr != nullptr) {
        record.sources[k] = SourceLiteral;
        record.literalArg = static_cast<int>(k);
        record.op.literal = *static_cast<const double*>(arg->ValuePtr);
      }
    }
  }
}

// Whether the result of records[j] must be stored: unless it goes to a
// slot (so that one later record alone reads it) and that reader is the
// next record, taking it from the register.
bool Stores(const std::vector<Record>& records, size_t j) {
  if (records[j].resultSlot < 0 || j + 1 == records.size()) return true;
  const Record& next = records[j + 1];
  return next.sources[0] != SourcePrevious && next.sources[1] != SourcePrevious;
}

// Makes the records of a run, now that its slots exist, and the record
// that ends it.
void BuildOps(std::vector<Record>& records, FusedRun& run) {
  ChooseSources(records);
  for (size_t j = 0; j < records.size(); ++j) {
    Record& record = records[j];
    const FusedSource right = record.operands == 2 ? record.sources[1] : SourceCell;
    QUORB_ASSERT(record.sources[0] != SourceLiteral || right != SourceLiteral);
    record.op.kind = FusedKind(record.code, record.sources[0], right, Stores(records, j));
    record.op.code = FusedWork(record.op.kind);
    record.op.left = OperandCell(record, 0, run);
    record.op.right = record.operands == 2 ? OperandCell(record, 1, run) : record.op.left;
    record.op.result = record.resultSlot >= 0 ? &run.slotCells[static_cast<size_t>(record.resultSlot)]
                                              : &record.result->ValuePtr;
    run.ops.push_back(record.op);
  }
  FusedOp end;
  end.code = FusedWork(FusedEnd);
  run.ops.push_back(end);
  QUORB_ASSERT(RunInPlace(run));
}

// The run's own steps go, and with them every item only the run used: the
// temporaries it passes in slots and the literals it copied. What the
// records still read through an item's cell stays, held by `fused` as its
// arguments (so it frees what it owns, and a release of the item sees it in
// use); the items they still write are listed for the activation records
// of function bodies.
void ReplaceSteps(const std::vector<Record>& records, ExpressionPart& fused, std::vector<ExpressionPart*>& gone) {
  // Room first: once the first step is freed, nothing may fail.
  size_t args = fused.Args.size();
  for (const Record& record : records) args += record.part->Args.size();
  fused.Args.reserve(args);
  fused.Fused->written.reserve(fused.Fused->written.size() + records.size());
  fused.Fused->operations.reserve(fused.Fused->operations.size() + records.size());
  for (const Record& record : records) {
    ExpressionPart* part = record.part;
    for (size_t i = 0; i < part->Args.size(); ++i) {
      const bool unused = (i < 2 && record.argSlots[i] >= 0) || static_cast<int>(i) == record.literalArg;
      if (!unused) fused.Args.push_back(part->Args[i]);
      else if (OwnsArgument(*part, i)) delete part->Args[i];
    }
    if (record.resultSlot < 0) fused.Fused->written.push_back(part->Result);
    fused.Fused->operations.push_back(part->OpItem);
    gone.push_back(part);  // reserved by the caller
    delete part;
  }
}

// Whether `end`, the part after a run, is the terminator and hands out the
// result of the run's last record.
bool IsWholeResult(const ExpressionPart* end, const std::vector<Record>& records) {
  return end != nullptr && end->Next == nullptr && end->Callback == &EvalReturn && !records.empty() &&
         end->Result == records.back().result;
}

inline double Cell(void* const* cell) { return *static_cast<const double*>(*cell); }

}  // namespace

// The work of every combination of code, operand sources and store, each
// a case of its own, so that no further branch decides where an operand
// is or whether the result is stored. Sums and products go through the
// callbacks' own functions, which fix the NaN of two NaN operands whatever
// order the compiler gives them. A function of one operand ignores its
// right source.
#define QUORB_FUSED_WORK_Add(x, y) AddDoubles(x, y)
#define QUORB_FUSED_WORK_Subtract(x, y) (x) - (y)
#define QUORB_FUSED_WORK_Multiply(x, y) MultiplyDoubles(x, y)
#define QUORB_FUSED_WORK_Divide(x, y) (x) / (y)
#define QUORB_FUSED_WORK_Negate(x, y) -(x)
#define QUORB_FUSED_WORK_Copy(x, y) (x)
#define QUORB_FUSED_WORK_Unary(x, y) op->function.unary(x)
#define QUORB_FUSED_WORK_Binary(x, y) op->function.binary(x, y)
#define QUORB_FUSED_OPERAND_Cell(cell) Cell(op->cell)
#define QUORB_FUSED_OPERAND_Previous(cell) r
#define QUORB_FUSED_OPERAND_Literal(cell) op->literal
#define QUORB_FUSED_STORE_0
#define QUORB_FUSED_STORE_1 *static_cast<double*>(*op->result) = r;
// CASE(name, kind, work) for one kind.
#define QUORB_FUSED_ONE(CASE, C, L, R, S)                                                                    \
  CASE(C##L##R##S, FusedKind(Fused##C, Source##L, Source##R, S),                                             \
       r = QUORB_FUSED_WORK_##C(QUORB_FUSED_OPERAND_##L(left), QUORB_FUSED_OPERAND_##R(right)); QUORB_FUSED_STORE_##S)
#define QUORB_FUSED_STORES(CASE, C, L, R) QUORB_FUSED_ONE(CASE, C, L, R, 0) QUORB_FUSED_ONE(CASE, C, L, R, 1)
#define QUORB_FUSED_RIGHTS(CASE, C, L) \
  QUORB_FUSED_STORES(CASE, C, L, Cell) QUORB_FUSED_STORES(CASE, C, L, Previous) QUORB_FUSED_STORES(CASE, C, L, Literal)
#define QUORB_FUSED_LEFTS(CASE, C) \
  QUORB_FUSED_RIGHTS(CASE, C, Cell) QUORB_FUSED_RIGHTS(CASE, C, Previous) QUORB_FUSED_RIGHTS(CASE, C, Literal)
#define QUORB_FUSED_RECORDS(CASE)                                                                            \
  QUORB_FUSED_LEFTS(CASE, Add) QUORB_FUSED_LEFTS(CASE, Subtract) QUORB_FUSED_LEFTS(CASE, Multiply)           \
  QUORB_FUSED_LEFTS(CASE, Divide) QUORB_FUSED_LEFTS(CASE, Negate) QUORB_FUSED_LEFTS(CASE, Copy)              \
  QUORB_FUSED_LEFTS(CASE, Unary) QUORB_FUSED_LEFTS(CASE, Binary)

// The table of labels below is indexed by kind: the list must hold every
// kind once, in order, up to the end record's.
#define QUORB_FUSED_KIND(name, kind, work) kind,
constexpr uint8_t ListedKinds[] = {QUORB_FUSED_RECORDS(QUORB_FUSED_KIND)};
#undef QUORB_FUSED_KIND
constexpr bool KindsInOrder() {
  for (uint8_t i = 0; i < sizeof ListedKinds; ++i)
    if (ListedKinds[i] != i) return false;
  return sizeof ListedKinds == FusedEnd;
}
static_assert(KindsInOrder(), "fused record kinds listed out of order");

// QUORB_SWITCH_DISPATCH builds the switch, as compilers without labels as
// values do.
#if (defined(__GNUC__) || defined(__clang__)) && !defined(QUORB_SWITCH_DISPATCH)
namespace {

// The table of the works by kind, once RunFusedOps handed it out.
const void* const* Works = nullptr;

}  // namespace

// Threaded: every record's work ends in a jump of its own to the next
// record's, which the processor predicts per kind; the end record's work
// returns. Called without records, hands out the table of the works by
// kind instead (a label's address is only known inside its function,
// which for that reason is never inlined).
double RunFusedOps(const FusedOp* op) {
#define QUORB_FUSED_LABEL(name, kind, work) &&name,
  static const void* const works[FusedEnd + 1] = {QUORB_FUSED_RECORDS(QUORB_FUSED_LABEL) && End};
#undef QUORB_FUSED_LABEL
  if (op == nullptr) {
    Works = works;
    return 0;
  }
  double r = 0;
  goto* op->code;
#define QUORB_FUSED_CASE(name, kind, work) \
  name:                                    \
  work;                                    \
  ++op;                                    \
  goto* op->code;
  QUORB_FUSED_RECORDS(QUORB_FUSED_CASE)
#undef QUORB_FUSED_CASE
End:
  return r;
}

namespace {

const void* FusedWork(uint8_t kind) {
  static const bool known = (RunFusedOps(nullptr), Works != nullptr);
  QUORB_ASSERT(known && kind <= FusedEnd);
  static_cast<void>(known);
  return Works[kind];
}

}  // namespace
#else
namespace {
const void* FusedWork(uint8_t) { return nullptr; }
}  // namespace

double RunFusedOps(const FusedOp* op) {
  double r = 0;
  for (;; ++op) {
    switch (op->kind) {
#define QUORB_FUSED_CASE(name, kind, work) \
  case kind: work; break;
      QUORB_FUSED_RECORDS(QUORB_FUSED_CASE)
#undef QUORB_FUSED_CASE
      default: return r;  // the end record
    }
  }
}
#endif

#undef QUORB_FUSED_RECORDS
#undef QUORB_FUSED_LEFTS
#undef QUORB_FUSED_RIGHTS
#undef QUORB_FUSED_STORES
#undef QUORB_FUSED_ONE

void RunFusedDoubles(ExpressionPart& part) { RunFusedRecords(*part.Fused); }

namespace {

// Makes `run` the expression's whole run, whose records Evaluate runs.
void SetWhole(QuorbParsedExpr& expr, FusedRun& run) {
  expr.WholeRun = &run;
  expr.WholeOps = run.ops.data();
}

// An expression that is a single fusable step keeps it as it is (a step
// of its own is as fast in the loop); Evaluate runs its record instead.
void SetWholeRun(QuorbParsedExpr& expr, std::vector<Record>& records) {
  auto run = std::make_unique<FusedRun>();
  run->ops.reserve(2);
  BuildOps(records, *run);
  run->end = expr.First->Next;
  SetWhole(expr, *run);
  expr.OwnRun = std::move(run);
}

// An expression without steps, whose terminator hands out a Double item,
// gets a run of one record that reads it (a copy, which no flag or NaN
// bit changes) and stores nothing.
void SetResultRun(QuorbParsedExpr& expr) {
  ExpressionPart* end = expr.First;
  if (end->Callback != &EvalReturn || !IsDouble(end->Result) || end->Result->ValuePtr == nullptr) return;
  auto run = std::make_unique<FusedRun>();
  FusedOp read;
  read.kind = FusedKind(FusedCopy, SourceCell, SourceCell, false);
  read.code = FusedWork(read.kind);
  read.left = read.right = &end->Result->ValuePtr;
  run->ops.push_back(read);
  FusedOp last;
  last.code = FusedWork(FusedEnd);
  run->ops.push_back(last);
  run->end = end;
  SetWhole(expr, *run);
  expr.OwnRun = std::move(run);
}

// Fuses the runs from `*link` on, one at a time: each run is made whole
// before its steps are replaced, so that running out of memory stops the
// fusing between two runs and leaves a sound chain. The steps freed go to
// `gone`, the new ones to `fused`, both with room for every step.
void FuseRuns(QuorbParsedExpr& expr, const std::unordered_map<const QuorbItem*, int>& reads,
              std::vector<ExpressionPart*>& gone, std::vector<ExpressionPart*>& fused) {
  ExpressionPart** link = &expr.First;  // the pointer that reaches the run
  while (*link != nullptr && (*link)->Next != nullptr) {
    std::vector<Record> records;
    ExpressionPart* after = *link;
    Record record;
    while (after->Next != nullptr && RecordOf(*after, record)) {
      records.push_back(record);
      after = after->Next;
    }
    const bool whole = *link == expr.First && IsWholeResult(after, records);
    if (records.size() == 1 && whole) {
      SetWholeRun(expr, records);
      return;
    }
    if (records.size() < 2) {
      link = &(*link)->Next;
      continue;
    }
    auto run = std::make_unique<FusedRun>();
    const size_t slots = AssignSlots(records, reads);
    run->slots.assign(slots, 0.0);
    for (double& slot : run->slots) run->slotCells.push_back(&slot);
    run->ops.reserve(records.size() + 1);
    BuildOps(records, *run);
    auto part = std::make_unique<ExpressionPart>();
    part->Callback = &RunFusedDoubles;
    part->OpItem = (*link)->OpItem;
    part->EnclosingFunction = (*link)->EnclosingFunction;
    part->Fused = std::move(run);
    part->Next = after;
    ReplaceSteps(records, *part, gone);
    if (whole) {
      part->Fused->end = after;
      SetWhole(expr, *part->Fused);
    }
    *link = part.get();
    fused.push_back(part.release());
    link = &(*link)->Next;
  }
}

}  // namespace

void FuseDoubleRuns(QuorbParsedExpr& expr) {
  std::vector<ExpressionPart*> gone;
  std::vector<ExpressionPart*> fused;
  try {
    const std::unordered_map<const QuorbItem*, int> reads = ReadCounts(expr);
    gone.reserve(expr.Parts.size());
    fused.reserve(expr.Parts.size());
    if (expr.First != nullptr && expr.First->Next == nullptr) SetResultRun(expr);
    FuseRuns(expr, reads, gone, fused);
  } catch (...) {
    // Fusing only speeds the steps up (memory running out, say): the runs
    // not fused run unfused.
  }
  // Each fused step replaced two or more: the list keeps its room.
  std::sort(gone.begin(), gone.end());
  auto isGone = [&gone](ExpressionPart* part) { return std::binary_search(gone.begin(), gone.end(), part); };
  expr.Parts.erase(std::remove_if(expr.Parts.begin(), expr.Parts.end(), isGone), expr.Parts.end());
  expr.Parts.insert(expr.Parts.end(), fused.begin(), fused.end());
}

}  // namespace QuorbNameSpace
