// Reading a pattern's possible first bytes: a small recursive-descent walk
// over alternatives, sequences, atoms and their repeats. Every answer is a
// superset of the truth; anything unknown stops the walk (no answer).
#include "scanner/pattern_first_bytes.h"

namespace QuorbNameSpace {
namespace {

// What an expression can start with, and whether it can match empty.
struct Start {
  ByteSet bytes;
  bool canBeEmpty = false;
};

void AddRange(ByteSet& set, unsigned first, unsigned last) {
  for (unsigned byte = first; byte <= last; ++byte) set.Add(static_cast<unsigned char>(byte));
}

void Unite(ByteSet& into, const ByteSet& from) {
  for (int i = 0; i < 4; ++i) into.words[i] |= from.words[i];
}

class Reader {
 public:
  Reader(const std::string& pattern, bool ignoreCase) : text_(pattern), ignoreCase_(ignoreCase) {}

  bool ReadAll(Start& out) { return Alternatives(out) && pos_ == text_.size(); }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }

  // a|b|...: the union; empty if any alternative can be.
  bool Alternatives(Start& out) {
    if (!Sequence(out)) return false;
    while (!AtEnd() && Peek() == '|') {
      ++pos_;
      Start next;
      if (!Sequence(next)) return false;
      Unite(out.bytes, next.bytes);
      out.canBeEmpty = out.canBeEmpty || next.canBeEmpty;
    }
    return true;
  }

  // The atoms of a sequence count while all before them can match empty.
  bool Sequence(Start& out) {
    out.canBeEmpty = true;
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
      Start atom;
      if (!RepeatedAtom(atom)) return false;
      if (out.canBeEmpty) {
        Unite(out.bytes, atom.bytes);
        out.canBeEmpty = atom.canBeEmpty;
      }
    }
    return true;
  }

  bool RepeatedAtom(Start& out) {
    if (!Atom(out)) return false;
    while (!AtEnd()) {
      const char c = Peek();
      if (c == '*' || c == '?') {
        out.canBeEmpty = true;
      } else if (c == '+') {
      } else if (c == '{') {
        if (!Count(out)) return false;
        continue;
      } else {
        break;
      }
      ++pos_;
      if (!AtEnd() && Peek() == '?') ++pos_;  // lazy: the same first bytes
    }
    return true;
  }

  // {n}, {n,}, {n,m}: a least count of 0 allows empty.
  bool Count(Start& out) {
    size_t i = pos_ + 1;
    const size_t digits = i;
    bool zero = true;
    while (i < text_.size() && text_[i] >= '0' && text_[i] <= '9') zero = zero && text_[i++] == '0';
    if (i == digits) return false;
    if (i < text_.size() && text_[i] == ',') {
      ++i;
      while (i < text_.size() && text_[i] >= '0' && text_[i] <= '9') ++i;
    }
    if (i >= text_.size() || text_[i] != '}') return false;
    pos_ = i + 1;
    if (zero) out.canBeEmpty = true;
    if (!AtEnd() && Peek() == '?') ++pos_;
    return true;
  }

  bool Atom(Start& out) {
    const char c = text_[pos_++];
    switch (c) {
      case '(': {
        if (!AtEnd() && Peek() == '?') {
          if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != ':') return false;  // look-arounds and the like
          pos_ += 2;
        }
        if (!Alternatives(out) || AtEnd() || Peek() != ')') return false;
        ++pos_;
        return true;
      }
      case '[': return Bracket(out);
      case '\\': return Escape(out);
      case '^': case '$':
        out.canBeEmpty = true;  // consumes nothing
        return true;
      case '.':
        out.bytes = ByteSet::All();
        return true;
      case '*': case '+': case '?': case '{': case '}': case ']': case ')': case '|':
        return false;
      default:
        Literal(out.bytes, static_cast<unsigned char>(c));
        return true;
    }
  }

  void Literal(ByteSet& set, unsigned char c) const {
    set.Add(c);
    if (!ignoreCase_) return;
    if (c >= 'a' && c <= 'z') set.Add(static_cast<unsigned char>(c - 'a' + 'A'));
    if (c >= 'A' && c <= 'Z') set.Add(static_cast<unsigned char>(c - 'A' + 'a'));
  }

  // The escapes of one known byte or class; others give no answer.
  bool EscapedByte(char e, ByteSet& set) {
    switch (e) {
      case 'd': AddRange(set, '0', '9'); return true;
      case 'w':
        AddRange(set, '0', '9');
        AddRange(set, 'a', 'z');
        AddRange(set, 'A', 'Z');
        set.Add('_');
        return true;
      case 'n': set.Add('\n'); return true;
      case 'r': set.Add('\r'); return true;
      case 't': set.Add('\t'); return true;
      case 'f': set.Add('\f'); return true;
      case 'v': set.Add('\v'); return true;
      default:
        // Escaped punctuation stands for itself.
        if ((e >= '!' && e <= '/') || (e >= ':' && e <= '@') || (e >= '[' && e <= '`') || (e >= '{' && e <= '~')) {
          Literal(set, static_cast<unsigned char>(e));
          return true;
        }
        return false;
    }
  }

  bool Escape(Start& out) {
    if (AtEnd()) return false;
    const char e = text_[pos_++];
    if (e == 'b' || e == 'B') {
      out.canBeEmpty = true;  // a boundary consumes nothing
      return true;
    }
    return EscapedByte(e, out.bytes);
  }

  // [...] with single bytes, ranges and the escapes above; a negated one
  // may start with any byte.
  bool Bracket(Start& out) {
    bool negated = false;
    if (!AtEnd() && Peek() == '^') {
      negated = true;
      ++pos_;
    }
    // A "]" first is read differently by the grammars: left alone.
    if (!AtEnd() && Peek() == ']') return false;
    ByteSet set;
    bool first = true;
    while (!AtEnd() && (Peek() != ']' || first)) {
      first = false;
      unsigned char low;
      if (!BracketByte(set, low)) return false;
      if (pos_ + 1 < text_.size() && Peek() == '-' && text_[pos_ + 1] != ']') {
        ++pos_;
        unsigned char high;
        if (low == 0 || !BracketByte(set, high) || high == 0 || high < low) return false;
        for (unsigned byte = low; byte <= high; ++byte) Literal(set, static_cast<unsigned char>(byte));
      }
    }
    if (AtEnd()) return false;
    ++pos_;
    out.bytes = negated ? ByteSet::All() : set;
    return true;
  }

  // One member of a bracket expression; `single` is its byte, or 0 for a
  // class escape (which cannot bound a range).
  bool BracketByte(ByteSet& set, unsigned char& single) {
    const char c = text_[pos_++];
    if (c == '[' && !AtEnd() && (Peek() == ':' || Peek() == '.' || Peek() == '=')) return false;
    if (c != '\\') {
      if (c == 0) return false;
      single = static_cast<unsigned char>(c);
      Literal(set, single);
      return true;
    }
    if (AtEnd()) return false;
    const char e = text_[pos_++];
    if (e == 'd' || e == 'w') {
      single = 0;
      return EscapedByte(e, set);
    }
    ByteSet one;
    if (e == 'b' || !EscapedByte(e, one)) return false;
    for (unsigned byte = 0; byte < 256; ++byte)
      if (one.Has(static_cast<unsigned char>(byte))) single = static_cast<unsigned char>(byte);
    Unite(set, one);
    return true;
  }

  const std::string& text_;
  const bool ignoreCase_;
  size_t pos_ = 0;
};

}  // namespace

bool ReadFirstBytes(const std::string& pattern, bool ignoreCase, ByteSet& out) {
  Start start;
  if (!Reader(pattern, ignoreCase).ReadAll(start) || start.canBeEmpty) return false;
  out = start.bytes;
  // A locale may fold bytes above ASCII too: any of them stands for all.
  if (ignoreCase && (out.words[2] != 0 || out.words[3] != 0)) out.words[2] = out.words[3] = ~0ULL;
  return true;
}

}  // namespace QuorbNameSpace
