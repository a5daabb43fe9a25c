// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/pattern_cost.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace halvoric {
namespace {

// Pieces after expansion. The field's largest pattern expands to a few
// hundred; the library takes about a hundred bytes for each.
constexpr std::uint64_t kMaxPieces = 20000;
// Nesting the library's parser recurses through.
constexpr int kMaxDepth = 32;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An upper bound of the pieces the library builds, at most kMaxPieces + 1.
class Estimate {
 public:
  explicit Estimate(std::string_view pattern) : text_(pattern) {}

  std::uint64_t Whole() {
    std::uint64_t pieces = 0;
    // A ")" without its "(" is read as itself; what follows still counts.
    while (at_ < text_.size() && !over_) {
      pieces = Add(pieces, Alternatives(0));
      if (at_ < text_.size()) ++at_;
    }
    return over_ ? kMaxPieces + 1 : pieces;
  }

 private:
  static std::uint64_t Add(std::uint64_t a, std::uint64_t b) {
    return std::min(a + b, kMaxPieces + 1);
  }
  static std::uint64_t Times(std::uint64_t a, std::uint64_t n) {
    return (n != 0 && a > (kMaxPieces + 1) / n) ? kMaxPieces + 1 : std::min(a * n, kMaxPieces + 1);
  }

  std::uint64_t Alternatives(int depth) {
    if (depth > kMaxDepth) {
      over_ = true;
      return 0;
    }
    std::uint64_t pieces = 1;
    while (at_ < text_.size() && text_[at_] != ')' && !over_) {
      if (text_[at_] == '|') {
        ++at_;
        pieces = Add(pieces, 1);
        continue;
      }
      pieces = Add(pieces, Repeated(Atom(depth)));
      if (pieces > kMaxPieces) over_ = true;
    }
    return pieces;
  }

  std::uint64_t Atom(int depth) {
    const char c = text_[at_++];
    if (c == '(') {
      const std::uint64_t inner = Alternatives(depth + 1);
      if (at_ < text_.size()) ++at_;  // its ")"
      return Add(inner, 1);
    }
    if (c == '[') {
      SkipBracket();
      return 1;
    }
    if (c == '\\' && at_ < text_.size()) ++at_;
    return 1;
  }

  // After "[": to its closing "]", over "[:class:]" and the like.
  void SkipBracket() {
    if (at_ < text_.size() && text_[at_] == '^') ++at_;
    if (at_ < text_.size() && text_[at_] == ']') ++at_;
    while (at_ < text_.size() && text_[at_] != ']') {
      if (text_[at_] == '[' && at_ + 1 < text_.size() &&
          (text_[at_ + 1] == ':' || text_[at_ + 1] == '=' || text_[at_ + 1] == '.')) {
        const char kind = text_[at_ + 1];
        const std::size_t end = text_.find(std::string_view{&kind, 1}, at_ + 2);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
      }
      ++at_;
    }
    if (at_ < text_.size()) ++at_;
  }

  // Every repeat after a piece multiplies it: "+" copies it once, "{n,m}"
  // up to m times.
  std::uint64_t Repeated(std::uint64_t pieces) {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '*' || c == '?') {
        pieces = Add(pieces, 1);
      } else if (c == '+') {
        pieces = Add(Times(pieces, 2), 1);
      } else if (c == '{') {
        const std::uint64_t most = IntervalMost();
        if (most == 0) return pieces;  // no interval: a "{" of its own
        pieces = Add(Times(pieces, most), 1);
        continue;
      } else {
        return pieces;
      }
      ++at_;
    }
    return pieces;
  }

  // At "{": the interval's largest count plus one, its text passed over;
  // 0 when what follows is no interval.
  std::uint64_t IntervalMost() {
    std::size_t i = at_ + 1;
    const auto number = [&]() {
      std::uint64_t value = 0;
      for (; i < text_.size() && IsDigit(text_[i]); ++i) {
        value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text_[i] - '0'),
                                        kMaxPieces + 1);
      }
      return value;
    };
    const std::size_t first = i;
    std::uint64_t most = number();
    if (i == first) return 0;
    if (i < text_.size() && text_[i] == ',') {
      ++i;
      const std::size_t second = i;
      const std::uint64_t upper = number();
      most = i == second ? most + 1 : std::max(most, upper);  // "{n,}": n copies and a star
    }
    if (i >= text_.size() || text_[i] != '}') return 0;
    at_ = i + 1;
    return most + 1;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  bool over_ = false;
};

}  // namespace

bool PatternCompilesSmall(std::string_view pattern) {
  return Estimate(pattern).Whole() <= kMaxPieces;
}

}  // namespace halvoric
