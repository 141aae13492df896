// Small records a transform carries: its filter settings and the change
// records of an expansion.
#ifndef QUORB_SCANNER_TRANSFORM_RECORDS_H
#define QUORB_SCANNER_TRANSFORM_RECORDS_H

#include <cstdint>
#include <string>

namespace QuorbNameSpace {

// Filter settings; kept with the transform, read by no operation yet.
struct FilterClass {
  std::string First;
  std::string Second;
  bool FirstFlag = false;
  std::string Third;
  std::string Fourth;
  bool SecondFlag = false;
  bool ThirdFlag = false;
};

class QuorbItem;

// One replacement made by an expansion.
struct LogOfChangesClass {
  uint64_t Location = 0;     // offset of the matched text in the text
  std::string OldText;       // the matched text
  std::string NewText;       // what replaced it
  QuorbItem* Rule = nullptr; // the rule that matched; not owned
};

}  // namespace QuorbNameSpace

#endif
