#include "dialect/lexer.h"

namespace ridirodev::dialect {

Token Lexer::Next() {
  const size_t n = text_.size();
  const size_t start = pos_;
  const char c = text_[pos_];
  if (IsSpace(c)) {
    while (pos_ < n && IsSpace(text_[pos_])) ++pos_;
    return Take(TokenKind::kSpace, start);
  }
  if (syntax_.comments && c == '-' && At(pos_ + 1) == '-') {
    const size_t eol = text_.find('\n', pos_);
    pos_ = eol == std::string_view::npos ? n : eol + 1;  // the line break belongs to the comment
    return Take(TokenKind::kComment, start);
  }
  if (syntax_.comments && c == '/' && At(pos_ + 1) == '*') {
    const size_t close = text_.find("*/", pos_ + 2);
    pos_ = close == std::string_view::npos ? n : close + 2;
    return Take(close == std::string_view::npos ? TokenKind::kUnterminated : TokenKind::kComment, start);
  }
  if (c == '\'' || (syntax_.quotedNames && c == '"')) {
    for (++pos_;; pos_ += 2) {  // a doubled quote stands for itself
      pos_ = text_.find(c, pos_);
      if (pos_ == std::string_view::npos) {
        pos_ = n;
        return Take(TokenKind::kUnterminated, start);
      }
      if (At(pos_ + 1) != c) break;
    }
    ++pos_;
    return Take(c == '\'' ? TokenKind::kString : TokenKind::kQuoted, start);
  }
  if (IsDigit(c) || (c == '.' && IsDigit(At(pos_ + 1)))) {
    while (IsDigit(At(pos_))) ++pos_;
    if (At(pos_) == '.') {
      ++pos_;
      while (IsDigit(At(pos_))) ++pos_;
    }
    if ((At(pos_) == 'e' || At(pos_) == 'E') &&
        (IsDigit(At(pos_ + 1)) || ((At(pos_ + 1) == '+' || At(pos_ + 1) == '-') && IsDigit(At(pos_ + 2))))) {
      pos_ += 2;
      while (IsDigit(At(pos_))) ++pos_;
    }
    return Take(TokenKind::kNumber, start);
  }
  if (IsWordStart(c)) {
    while (pos_ < n && IsWordChar(text_[pos_])) ++pos_;
    return Take(TokenKind::kWord, start);
  }
  if (c == '(') {
    if (syntax_.outerMarks) {
      size_t k = pos_ + 1;
      while (IsSpace(At(k))) ++k;
      if (At(k) == '+') {
        ++k;
        while (IsSpace(At(k))) ++k;
        if (At(k) == ')') {
          pos_ = k + 1;
          return Take(TokenKind::kOuterMark, start);
        }
      }
    }
    ++pos_;
    return Take(TokenKind::kOpen, start);
  }
  if (c == ')') {
    ++pos_;
    return Take(TokenKind::kClose, start);
  }
  const char d = At(pos_ + 1);
  const bool pair = (c == '|' && d == '|') || (c == '<' && (d == '=' || d == '>')) ||
                    (d == '=' && (c == '>' || c == '!' || c == '^' || c == ':')) || (c == '=' && d == '>');
  pos_ += pair ? 2 : 1;
  return Take(TokenKind::kPunct, start);
}

std::vector<Token> Lexer::Tokens(std::string_view text, Syntax syntax) {
  std::vector<Token> tokens;
  tokens.reserve(text.size() / 4 + 16);  // id lists run about four characters a token
  Lexer lexer(text, syntax);
  while (!lexer.Done()) tokens.push_back(lexer.Next());
  return tokens;
}

}  // namespace ridirodev::dialect
