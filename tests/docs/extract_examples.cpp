// Turns the examples of the language reference into a C program that checks
// them, so the reference cannot drift from the library.
//
// Usage: extract_examples REFERENCE.md OUTPUT.c
//
// Two forms in the reference state a result, and both become checks:
// - in prose, `expression` → `result`: EvalStr of the expression on a new
//   instance returns the result;
// - in a ```c block, a call of Eval, Evaluate, EvalStr, EvaluateStr or Expand ended
//   by a comment that opens with the result: /* 5 */ or /* 5: why */ checks
//   the number, /* "text" */ the text, /* error 3: why */ the error number.
// Every ```c block is compiled whole, in the order of the reference, on one
// instance `q`: file-level definitions (a line opening with `static`, to the
// brace that closes it) stay at file level, the rest runs as statements.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CBlock {
  int first_line = 0;
  std::vector<std::string> file_level;
  std::vector<std::string> statements;
};

struct ProsePair {
  int line = 0;
  std::string expression, result;
};

// A C string literal holding `text` as it stands.
std::string CLiteral(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

int BraceDepthChange(const std::string& line) {
  int change = 0;
  bool in_string = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (in_string) {
      if (c == '\\') ++i;
      else if (c == '"') in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{') {
      ++change;
    } else if (c == '}') {
      --change;
    }
  }
  return change;
}

// A statement whose comment states its result becomes a check of it.
std::string CheckedStatement(const std::string& line, int line_number) {
  static const std::regex stated(
      R"(^(\s*)((Eval|EvalStr|Evaluate|EvaluateStr|Expand)\(.*\));\s*/\* (.*) \*/\s*$)");
  static const std::regex text_result(R"(^"((?:[^"\\]|\\.)*)\".*)");
  static const std::regex error_result(R"(^error ([0-9]+)\b.*)");
  static const std::regex number_result(R"(^(-?[0-9][0-9.eE+-]*)(:.*|,.*| .*)?$)");
  std::smatch m, r;
  if (!std::regex_match(line, m, stated)) return line;
  const std::string indent = m[1], call = m[2], function = m[3], comment = m[4];
  const std::string where = std::to_string(line_number);
  const bool gives_text = function == "EvalStr" || function == "EvaluateStr" || function == "Expand";
  if (std::regex_match(comment, r, text_result) && gives_text)
    return indent + "CHECK_TEXT(" + call + ", \"" + r[1].str() + "\", " + where + ");";
  if (std::regex_match(comment, r, error_result))
    return indent + "CHECK_ERROR(q, " + call + ", " + r[1].str() + ", " + where + ");";
  if (std::regex_match(comment, r, number_result) && !gives_text)
    return indent + "CHECK_NUMBER(" + call + ", " + r[1].str() + ", " + where + ");";
  return line;
}

// Adds the pairs of one paragraph of prose, and empties it.
void FindPairs(std::string& paragraph, int line, std::vector<ProsePair>& pairs) {
  static const std::regex pair(R"(`([^`]+)` +→ +`([^`]*)`)");
  static const std::regex blanks(R"(\s+)");
  std::string text = std::regex_replace(paragraph, blanks, " ");
  for (std::sregex_iterator it(text.begin(), text.end(), pair), end; it != end; ++it) {
    // The reference explains the form with this pair itself.
    if ((*it)[1] == "expression") continue;
    pairs.push_back(ProsePair{line, (*it)[1], (*it)[2]});
  }
  paragraph.clear();
}

bool ReadReference(const char* path, std::vector<CBlock>& blocks, std::vector<ProsePair>& pairs) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line, paragraph;
  int number = 0, depth = 0, paragraph_line = 0;
  bool in_c = false, in_other = false;
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("```", 0) == 0) {
      FindPairs(paragraph, paragraph_line, pairs);
      if (in_c || in_other) {
        in_c = in_other = false;
      } else if (line == "```c") {
        in_c = true;
        blocks.push_back(CBlock{number + 1, {}, {}});
        depth = 0;
      } else {
        in_other = true;
      }
      continue;
    }
    if (in_other) continue;
    if (in_c) {
      CBlock& block = blocks.back();
      bool file_level = depth > 0 || line.rfind("static ", 0) == 0;
      depth += BraceDepthChange(line);
      if (file_level)
        block.file_level.push_back(line);
      else
        block.statements.push_back(CheckedStatement(line, number));
      continue;
    }
    // A pair may break across the lines of a paragraph.
    if (paragraph.empty()) paragraph_line = number;
    paragraph += line + " ";
    if (line.find_first_not_of(" \t") == std::string::npos) FindPairs(paragraph, paragraph_line, pairs);
  }
  FindPairs(paragraph, paragraph_line, pairs);
  return true;
}

void WriteProgram(std::ostream& out, const std::vector<CBlock>& blocks, const std::vector<ProsePair>& pairs) {
  out << "/* Written by extract_examples from the language reference: do not edit. */\n"
         "#include \"example_checks.h\"\n\n";
  for (size_t i = 0; i < blocks.size(); ++i) {
    out << "/* The example at line " << blocks[i].first_line << ". */\n";
    for (const std::string& line : blocks[i].file_level) out << line << "\n";
    out << "static void Example" << i << "(QuorbInstance* q) {\n";
    for (const std::string& line : blocks[i].statements) out << "  " << line << "\n";
    out << "  (void)q;\n}\n\n";
  }
  out << "static void CodeExamples(QuorbInstance* q) {\n";
  for (size_t i = 0; i < blocks.size(); ++i) out << "  Example" << i << "(q);\n";
  out << "}\n\nstatic const struct ProseExample prose_examples[] = {\n";
  for (const ProsePair& p : pairs)
    out << "  {" << p.line << ", " << CLiteral(p.expression) << ", " << CLiteral(p.result) << "},\n";
  out << "};\n\nint main(void) {\n"
         "  return RunExamples(CodeExamples, prose_examples,\n"
         "                     sizeof prose_examples / sizeof prose_examples[0]);\n}\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: extract_examples REFERENCE.md OUTPUT.c\n";
    return 2;
  }
  std::vector<CBlock> blocks;
  std::vector<ProsePair> pairs;
  if (!ReadReference(argv[1], blocks, pairs)) {
    std::cerr << "extract_examples: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream program;
  WriteProgram(program, blocks, pairs);
  std::ofstream out(argv[2]);
  out << program.str();
  return out ? 0 : 1;
}
