#pragma once

// The one lexer of the texts the standalone host reads: the component's Oracle-dialect
// statements and the sources of calculations. Both are made of words, numbers, quoted texts,
// parentheses and operators; the statements add comments, quoted names and outer-join marks.

#include <cstdint>
#include <string_view>
#include <vector>

namespace ridirodev::dialect {

enum class TokenKind : uint8_t {
  kSpace,
  kComment,
  kWord,    // a name or a keyword
  kQuoted,  // "quoted name"
  kString,  // 'text', a doubled quote standing for itself
  kNumber,
  kOpen,
  kClose,
  kOuterMark,     // (+), blanks inside allowed
  kPunct,         // an operator or separator: one character, or one of || <= <> >= != ^= := =>
  kUnterminated,  // a text, quoted name or comment without its end: the rest of the input
};

struct Token {
  TokenKind kind;
  std::string_view text;
};

// What a language has beyond words, numbers, 'texts', parentheses and operators.
struct Syntax {
  bool comments;     // -- to the end of the line (the line break included), /* */
  bool quotedNames;  // "name"
  bool outerMarks;   // (+)
  bool wideLetters;  // bytes from 0x80 (UTF-8 sequences) are letters
};

inline constexpr Syntax kOracleSyntax{true, true, true, true};
// A calculation's source: a double quote, -- and /* are operators, and a name is ASCII.
inline constexpr Syntax kCalculationSyntax{false, false, false, false};

class Lexer {
 public:
  Lexer(std::string_view text, Syntax syntax) : text_(text), syntax_(syntax) {}

  bool Done() const { return pos_ >= text_.size(); }
  // The token at the current position; call only while not Done. Tokens cover the text
  // without gaps, so their texts joined give it back.
  Token Next();
  // Every token of text.
  static std::vector<Token> Tokens(std::string_view text, Syntax syntax);

  // A letter (or "_") that starts a name; digits, "$" and "#" may follow it.
  bool IsWordStart(char c) const {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (syntax_.wideLetters && static_cast<unsigned char>(c) >= 0x80);
  }
  bool IsWordChar(char c) const { return IsWordStart(c) || IsDigit(c) || c == '$' || c == '#'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  }

 private:
  char At(size_t k) const { return k < text_.size() ? text_[k] : '\0'; }
  Token Take(TokenKind kind, size_t start) const { return {kind, text_.substr(start, pos_ - start)}; }

  std::string_view text_;
  Syntax syntax_;
  size_t pos_ = 0;
};

}  // namespace ridirodev::dialect
