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

// A record under construction, with the items it reads and writes.
struct Record {
  ExpressionPart* part;
  FusedOp op;
  FusedCode code;
  size_t operands;
  const QuorbItem* args[2];
  const QuorbItem* result;
  bool leftIsPrevious = false;
  bool rightIsPrevious = false;
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

// The cell an operand of `record` is read through.
void* const* OperandCell(Record& record, size_t k, FusedRun& run) {
  if (record.argSlots[k] >= 0) return &run.slotCells[static_cast<size_t>(record.argSlots[k])];
  return &record.args[k]->ValuePtr;
}

// Whether the records and slots of `run` are where they were made: every
// slot cell and literal cell points at its own slot or record.
[[maybe_unused]] bool RunInPlace(const FusedRun& run) {
  for (size_t i = 0; i < run.slotCells.size(); ++i)
    if (i >= run.slots.size() || run.slotCells[i] != &run.slots[i]) return false;
  for (const FusedOp& op : run.ops)
    if (op.literalCell != nullptr && op.literalCell != &op.literal) return false;
  return true;
}

// Makes the records of a run, now that its slots exist. An operand that is
// the previous record's result is taken from the register it is still in.
void BuildOps(std::vector<Record>& records, FusedRun& run) {
  for (size_t j = 0; j < records.size(); ++j) {
    Record& record = records[j];
    if (j > 0) {
      const QuorbItem* previous = records[j - 1].result;
      record.leftIsPrevious = record.args[0] == previous;
      record.rightIsPrevious = record.operands == 2 && record.args[1] == previous;
    }
    record.op.kind = FusedKind(record.code, record.leftIsPrevious, record.rightIsPrevious);
    record.op.left = OperandCell(record, 0, run);
    record.op.right = OperandCell(record, record.operands - 1, run);
    record.op.result = record.resultSlot >= 0 ? &run.slotCells[static_cast<size_t>(record.resultSlot)]
                                              : &record.result->ValuePtr;
    run.ops.push_back(record.op);
  }
  // The records are in place: each literal operand now reads the record's
  // own copy.
  for (size_t j = 0; j < records.size(); ++j) {
    Record& record = records[j];
    FusedOp& op = run.ops[j];
    const size_t k = record.args[0]->Has(IsLiteral) ? 0 : record.operands == 2 && record.args[1]->Has(IsLiteral) ? 1 : 2;
    if (k == 2 || record.args[k]->ValuePtr == nullptr) continue;
    record.literalArg = static_cast<int>(k);
    op.literal = *static_cast<const double*>(record.args[k]->ValuePtr);
    op.literalCell = &op.literal;
    if (k == 0) op.left = &op.literalCell;
    if (k == 1 || record.operands == 1) op.right = &op.literalCell;
  }
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

// The work of every combination of code and operand source, each a case
// of its own, so no further branch decides where an operand is. Sums and
// products go through the callbacks' own functions, which fix the NaN of
// two NaN operands whatever order the compiler gives them. A kind without
// work (a copy of the previous result) leaves r as it is.
#define QUORB_FUSED_RECORDS(CASE)                                                                         \
  CASE(AddVV, FusedKind(FusedAdd, false, false), r = AddDoubles(Cell(op->left), Cell(op->right)))         \
  CASE(AddVR, FusedKind(FusedAdd, false, true), r = AddDoubles(Cell(op->left), r))                        \
  CASE(AddRV, FusedKind(FusedAdd, true, false), r = AddDoubles(r, Cell(op->right)))                       \
  CASE(AddRR, FusedKind(FusedAdd, true, true), r = r + r)                                                 \
  CASE(SubVV, FusedKind(FusedSubtract, false, false), r = Cell(op->left) - Cell(op->right))               \
  CASE(SubVR, FusedKind(FusedSubtract, false, true), r = Cell(op->left) - r)                              \
  CASE(SubRV, FusedKind(FusedSubtract, true, false), r = r - Cell(op->right))                             \
  CASE(SubRR, FusedKind(FusedSubtract, true, true), r = r - r)                                            \
  CASE(MulVV, FusedKind(FusedMultiply, false, false), r = MultiplyDoubles(Cell(op->left), Cell(op->right))) \
  CASE(MulVR, FusedKind(FusedMultiply, false, true), r = MultiplyDoubles(Cell(op->left), r))              \
  CASE(MulRV, FusedKind(FusedMultiply, true, false), r = MultiplyDoubles(r, Cell(op->right)))             \
  CASE(MulRR, FusedKind(FusedMultiply, true, true), r = r * r)                                            \
  CASE(DivVV, FusedKind(FusedDivide, false, false), r = Cell(op->left) / Cell(op->right))                 \
  CASE(DivVR, FusedKind(FusedDivide, false, true), r = Cell(op->left) / r)                                \
  CASE(DivRV, FusedKind(FusedDivide, true, false), r = r / Cell(op->right))                               \
  CASE(DivRR, FusedKind(FusedDivide, true, true), r = r / r)                                              \
  CASE(NegV, FusedKind(FusedNegate, false, false), r = -Cell(op->left))                                   \
  CASE(Neg17, FusedKind(FusedNegate, false, true), (void)0)                                               \
  CASE(NegR, FusedKind(FusedNegate, true, false), r = -r)                                                 \
  CASE(Neg19, FusedKind(FusedNegate, true, true), (void)0)                                                \
  CASE(CopyV, FusedKind(FusedCopy, false, false), r = Cell(op->left))                                     \
  CASE(Copy21, FusedKind(FusedCopy, false, true), (void)0)                                                \
  CASE(Copy22, FusedKind(FusedCopy, true, false), (void)0)                                                \
  CASE(Copy23, FusedKind(FusedCopy, true, true), (void)0)                                                 \
  CASE(UnV, FusedKind(FusedUnary, false, false), r = op->function.unary(Cell(op->left)))                  \
  CASE(Un25, FusedKind(FusedUnary, false, true), (void)0)                                                 \
  CASE(UnR, FusedKind(FusedUnary, true, false), r = op->function.unary(r))                                \
  CASE(Un27, FusedKind(FusedUnary, true, true), (void)0)                                                  \
  CASE(BinVV, FusedKind(FusedBinary, false, false), r = op->function.binary(Cell(op->left), Cell(op->right))) \
  CASE(BinVR, FusedKind(FusedBinary, false, true), r = op->function.binary(Cell(op->left), r))            \
  CASE(BinRV, FusedKind(FusedBinary, true, false), r = op->function.binary(r, Cell(op->right)))           \
  CASE(BinRR, FusedKind(FusedBinary, true, true), r = op->function.binary(r, r))

constexpr uint8_t FusedKindCount = FusedKind(FusedBinary, true, true) + 1;

// The table of labels below is indexed by kind: the list must hold every
// kind once, in order.
#define QUORB_FUSED_KIND(name, code, step) code,
constexpr uint8_t ListedKinds[] = {QUORB_FUSED_RECORDS(QUORB_FUSED_KIND)};
#undef QUORB_FUSED_KIND
constexpr bool KindsInOrder() {
  for (uint8_t i = 0; i < sizeof ListedKinds; ++i)
    if (ListedKinds[i] != i) return false;
  return sizeof ListedKinds == FusedKindCount;
}
static_assert(KindsInOrder(), "fused record kinds listed out of order");

// QUORB_SWITCH_DISPATCH builds the switch, as compilers without labels as
// values do.
#if (defined(__GNUC__) || defined(__clang__)) && !defined(QUORB_SWITCH_DISPATCH)
// Threaded: every record's work ends in a jump of its own to the next
// record's, which the processor predicts per kind, and no bounds check is
// made (every kind byte the builder writes has a label). A run has at
// least one record.
double RunFusedRecords(const FusedRun& run) {
#define QUORB_FUSED_LABEL(name, code, step) &&name,
  static void* const work[FusedKindCount] = {QUORB_FUSED_RECORDS(QUORB_FUSED_LABEL)};
#undef QUORB_FUSED_LABEL
  const FusedOp* op = run.ops.data();
  const FusedOp* const end = op + run.ops.size();
  double r = 0;
  if (op == end) return r;
  goto* work[op->kind];
#define QUORB_FUSED_CASE(name, code, step) \
  name:                                    \
  step;                                    \
  *static_cast<double*>(*op->result) = r;  \
  if (++op == end) return r;               \
  goto* work[op->kind];
  QUORB_FUSED_RECORDS(QUORB_FUSED_CASE)
#undef QUORB_FUSED_CASE
}
#else
double RunFusedRecords(const FusedRun& run) {
  double r = 0;
  for (const FusedOp& record : run.ops) {
    const FusedOp* op = &record;
    switch (op->kind) {
#define QUORB_FUSED_CASE(name, code, step) \
  case code: step; break;
      QUORB_FUSED_RECORDS(QUORB_FUSED_CASE)
#undef QUORB_FUSED_CASE
      default: break;
    }
    *static_cast<double*>(*op->result) = r;
  }
  return r;
}
#endif

#undef QUORB_FUSED_RECORDS

void RunFusedDoubles(ExpressionPart& part) { RunFusedRecords(*part.Fused); }

namespace {

// An expression that is a single fusable step keeps it as it is (a step
// of its own is as fast in the loop); Evaluate runs its record instead.
void SetWholeRun(QuorbParsedExpr& expr, std::vector<Record>& records) {
  auto run = std::make_unique<FusedRun>();
  run->ops.reserve(1);
  BuildOps(records, *run);
  expr.WholeRun = run.get();
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
    run->ops.reserve(records.size());
    BuildOps(records, *run);
    auto part = std::make_unique<ExpressionPart>();
    part->Callback = &RunFusedDoubles;
    part->OpItem = (*link)->OpItem;
    part->EnclosingFunction = (*link)->EnclosingFunction;
    part->Fused = std::move(run);
    part->Next = after;
    ReplaceSteps(records, *part, gone);
    if (whole) expr.WholeRun = part->Fused.get();
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
