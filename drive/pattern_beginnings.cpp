// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/pattern_beginnings.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace halvoric {
namespace {

// Enough to tell the field's model families apart ("WDC WD40", "ST4000DM");
// longer or more only cost time at every start.
constexpr std::size_t kMaxTexts = 32;
constexpr std::size_t kMaxLength = 8;
// Deeper nesting than the field's files use; no stack runs out on any input.
constexpr int kMaxDepth = 16;

constexpr std::string_view kSpecial = "^$.[]()*+?{}|\\";

// A piece's matches: exactly `Texts` when Exact, else texts that each
// begin with one of `Texts`.
struct Beginnings {
  std::vector<std::string> Texts;
  bool Exact = true;
};

const Beginnings kAnything{{""}, false};

// Keeps a set small by cutting its texts shorter, which keeps it true as
// a set of beginnings.
Beginnings Limited(std::vector<std::string> texts, bool exact) {
  std::size_t length = 0;
  for (const std::string& text : texts) length = std::max(length, text.size());
  length = std::min(length, kMaxLength);
  for (;;) {
    for (std::string& text : texts) {
      if (text.size() <= length) continue;
      text.resize(length);
      exact = false;
    }
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    if (texts.size() <= kMaxTexts) return {std::move(texts), exact};
    --length;
  }
}

Beginnings Followed(const Beginnings& first, const Beginnings& then) {
  if (!first.Exact) return first;
  // Long or many enough already: what follows is only checked for its form.
  const bool longEnough =
      std::all_of(first.Texts.begin(), first.Texts.end(),
                  [](const std::string& text) { return text.size() >= kMaxLength; });
  if (longEnough || first.Texts.size() * then.Texts.size() > kMaxTexts) {
    return {first.Texts, false};
  }
  std::vector<std::string> texts;
  texts.reserve(first.Texts.size() * then.Texts.size());
  for (const std::string& a : first.Texts) {
    for (const std::string& b : then.Texts) texts.push_back(a + b);
  }
  return Limited(std::move(texts), then.Exact);
}

bool Printable(char c) { return c >= ' ' && c <= '~'; }

// Both ends of a range of the same kind, in order: what every locale reads alike.
bool PlainRange(char from, char to) {
  const auto within = [](char c, char low, char high) { return c >= low && c <= high; };
  const bool sameKind = (within(from, '0', '9') && within(to, '0', '9')) ||
                        (within(from, 'A', 'Z') && within(to, 'A', 'Z')) ||
                        (within(from, 'a', 'z') && within(to, 'a', 'z'));
  return sameKind && from <= to;
}

class Reader {
 public:
  explicit Reader(std::string_view pattern) : text_(pattern) {}

  std::optional<Beginnings> Whole() {
    std::optional<Beginnings> read = Alternatives(0, true);
    if (!read || at_ != text_.size()) return std::nullopt;
    return read;
  }

 private:
  // Without `wanted` a piece is only checked for its form: its beginnings
  // would add nothing to those read before it.
  std::optional<Beginnings> Alternatives(int depth, bool wanted) {
    if (depth > kMaxDepth) return std::nullopt;
    std::vector<std::string> texts;
    bool exact = true;
    for (;;) {
      std::optional<Beginnings> branch = Branch(depth, wanted);
      if (!branch) return std::nullopt;
      if (wanted) {
        texts.insert(texts.end(), branch->Texts.begin(), branch->Texts.end());
        exact = exact && branch->Exact;
      }
      if (at_ >= text_.size() || text_[at_] != '|') break;
      ++at_;
    }
    if (!wanted) return Beginnings{{}, false};
    return Limited(std::move(texts), exact);
  }

  std::optional<Beginnings> Branch(int depth, bool wanted) {
    Beginnings read{{""}, true};
    bool empty = true;
    while (at_ < text_.size() && text_[at_] != '|' && text_[at_] != ')') {
      empty = false;
      const bool extend = wanted && read.Exact;
      // Most of a pattern is plain characters: added where they stand.
      if (const std::optional<char> plain = PlainCharacter()) {
        if (extend) Append(read, *plain);
        continue;
      }
      std::optional<Beginnings> piece = Piece(depth, extend);
      if (!piece) return std::nullopt;
      if (extend) read = Followed(read, *piece);
    }
    if (empty) return std::nullopt;
    return read;
  }

  static void Append(Beginnings& read, char c) {
    const bool longEnough =
        std::all_of(read.Texts.begin(), read.Texts.end(),
                    [](const std::string& text) { return text.size() >= kMaxLength; });
    if (longEnough) {
      read.Exact = false;
      return;
    }
    for (std::string& text : read.Texts) text += c;
  }

  // The next character when it stands for itself, unrepeated; it is then
  // passed over.
  std::optional<char> PlainCharacter() {
    std::size_t length = 1;
    char c = text_[at_];
    if (c == '\\' && at_ + 1 < text_.size() &&
        kSpecial.find(text_[at_ + 1]) != std::string_view::npos) {
      c = text_[at_ + 1];
      length = 2;
    } else if (!Printable(c) || kSpecial.find(c) != std::string_view::npos) {
      return std::nullopt;
    }
    const std::size_t after = at_ + length;
    if (after < text_.size() &&
        (text_[after] == '?' || text_[after] == '*' || text_[after] == '+')) {
      return std::nullopt;
    }
    at_ = after;
    return c;
  }

  std::optional<Beginnings> Piece(int depth, bool wanted) {
    std::optional<Beginnings> atom = Atom(depth, wanted);
    if (!atom || at_ >= text_.size()) return atom;
    const char c = text_[at_];
    if (c != '?' && c != '*' && c != '+') return atom;
    ++at_;
    if (at_ < text_.size() && (text_[at_] == '?' || text_[at_] == '*' || text_[at_] == '+')) {
      return std::nullopt;
    }
    if (c == '+') return Beginnings{std::move(atom->Texts), false};
    if (c == '?' && atom->Exact) {
      atom->Texts.emplace_back();
      return atom;
    }
    return kAnything;
  }

  std::optional<Beginnings> Atom(int depth, bool wanted) {
    const char c = text_[at_++];
    if (c == '(') {
      std::optional<Beginnings> inner = Alternatives(depth + 1, wanted);
      if (!inner || at_ >= text_.size() || text_[at_] != ')') return std::nullopt;
      ++at_;
      return inner;
    }
    if (c == '[') return Bracket();
    if (c == '.') return kAnything;
    if (c == '\\') {
      if (at_ >= text_.size() || kSpecial.find(text_[at_]) == std::string_view::npos) {
        return std::nullopt;
      }
      return Beginnings{{std::string(1, text_[at_++])}, true};
    }
    if (!Printable(c) || kSpecial.find(c) != std::string_view::npos) return std::nullopt;
    return Beginnings{{std::string(1, c)}, true};
  }

  // After its "[": a list of plain characters is its own beginnings; one
  // with ranges or negated may begin with anything.
  std::optional<Beginnings> Bracket() {
    bool negated = false;
    if (at_ < text_.size() && text_[at_] == '^') {
      negated = true;
      ++at_;
    }
    std::vector<std::string> chars;
    bool ranges = false;
    for (bool first = true;; first = false) {
      if (at_ >= text_.size()) return std::nullopt;
      const char c = text_[at_++];
      if (c == ']' && !first) break;
      if (!Printable(c) || c == '[' || c == '\\') return std::nullopt;
      // A dash is plain only first or last; elsewhere the locale decides.
      if (c == '-' && !first && at_ < text_.size() && text_[at_] != ']') return std::nullopt;
      if (at_ + 1 < text_.size() && text_[at_] == '-' && text_[at_ + 1] != ']') {
        if (!PlainRange(c, text_[at_ + 1])) return std::nullopt;
        at_ += 2;
        ranges = true;
        continue;
      }
      chars.emplace_back(1, c);
    }
    if (negated || ranges) return kAnything;
    return Limited(std::move(chars), true);
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<std::vector<std::string>> PatternBeginnings(std::string_view pattern) {
  std::optional<Beginnings> read = Reader(pattern).Whole();
  if (!read) return std::nullopt;
  return std::move(read->Texts);
}

}  // namespace halvoric
