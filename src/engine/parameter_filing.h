// Parameters held back from their table: a signature's parameters are
// visible under their names only while the rest of its definition is read
// (a later parameter's type or default value, the body), and most
// signatures have no body to read them. Filing each one and taking it out
// again cost more than reading the signature itself, so a parameter waits
// here until something could look it up, and is filed then, in the order
// read; one nothing could see is never filed. See parameters.cpp (ParamParse)
// and signatures.cpp (the points that file what is held).
//
// A held parameter already has the name and leaves the table's longest
// name as filing would: what the instance holds is the same either way.
#ifndef QUORB_ENGINE_PARAMETER_FILING_H
#define QUORB_ENGINE_PARAMETER_FILING_H

#include <cstdint>
#include <string>
#include <vector>

#include "engine/invariant.h"

namespace QuorbNameSpace {

class Quorb;
class QuorbItem;
class StringLocation;
class Table;

// Whether parameters wait until something could see them (true) or are
// filed as they are read (false: the slow twin; tests compare both ways).
extern bool HoldParametersUntilSeen;

class HeldParameters {
 public:
  // Files the parameter `item` under `name` in the main transform's filing
  // table, now or once it could be seen. May throw what allocation throws;
  // `item` is then neither filed nor held.
  void File(Quorb& instance, std::string name, QuorbItem* item);

  // Files everything held, in the order read: before anything runs that
  // could look names up (a parse, an evaluation, an expression directive of
  // a rule, a walk over the table, another item filed under such a name).
  // A lookup through StringLocation::LookUpToken files them itself when
  // its token could name one (FileAllIfNamed).
  void FileAll() {
    if (!held_.empty()) FileHeld();
  }
  // Files everything held when the text at `at` could name one of them
  // (compared with letters folded, whatever the table's case).
  void FileAllIfNamed(const std::string& text, uint64_t at, uint64_t length) {
    if (!held_.empty() && MayName(text, at, length)) FileAll();
  }
  // Forgets what is held, unfiled: the signature has been read.
  void Forget() noexcept { held_.clear(); }
  bool Empty() const noexcept { return held_.empty(); }

 private:
  bool MayName(const std::string& text, uint64_t at, uint64_t length) const;
  void FileHeld();

  Table* table_ = nullptr;          // where every held parameter goes
  std::vector<QuorbItem*> held_;    // in the order read; owned by their function
};

// Forgets the held parameters however the signature's reading ends.
class HeldParametersScope {
 public:
  // Whatever read a signature before this one filed or forgot its own.
  explicit HeldParametersScope(HeldParameters& held) : held_(held) { QUORB_ASSERT(held_.Empty()); }
  ~HeldParametersScope() { held_.Forget(); }
  HeldParametersScope(const HeldParametersScope&) = delete;
  HeldParametersScope& operator=(const HeldParametersScope&) = delete;

 private:
  HeldParameters& held_;
};

}  // namespace QuorbNameSpace

#endif
