#include "standalone/support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <span>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/controls.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSource = "StandaloneSupport";

// ---- UTF-8 ------------------------------------------------------------------------------

// Decodes UTF-8 into code points. A byte that does not start a valid sequence stands for
// itself (as U+DC80 + byte), so that broken text still matches byte by byte.
std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    bool ok = len != 0 && i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (!ok) {
      out.push_back(0xDC80 + b0);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += len;
  }
  return out;
}

// The inverse of DecodeUtf8: a stand-in for a broken byte gives the byte back.
void AppendUtf8(std::string& out, char32_t cp) {
  if (cp >= 0xDC80 && cp <= 0xDCFF) {
    out += static_cast<char>(cp - 0xDC80);
  } else if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// A character of a regular expression, escaped when it means something there; special lists
// the characters that do in the current place (outside or inside a bracket expression).
void AppendRegexChar(std::string& out, char32_t cp, std::string_view special) {
  if (cp < 0x80 && special.find(static_cast<char>(cp)) != std::string_view::npos) out += '\\';
  AppendUtf8(out, cp);
}

constexpr std::string_view kRegexSpecial = "\\^$.|?*+()[]{}";
constexpr std::string_view kRegexSetSpecial = "\\^-[]";
constexpr std::string_view kAnyChar = "[\\s\\S]";

constexpr char32_t FoldAscii(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }
constexpr char32_t UpperAscii(char32_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// ---- value checks -----------------------------------------------------------------------

std::string_view TrimSpace(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

ValueCheck Fail(std::string message) { return ValueCheck{false, std::move(message), Variant()}; }
ValueCheck Pass(Variant value) { return ValueCheck{true, std::string(), std::move(value)}; }

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

// ---- wildcard matcher -------------------------------------------------------------------

WildcardPattern::WildcardPattern(std::string_view pattern, bool completeMatch, bool matchCase)
    : source_(pattern), completeMatch_(completeMatch), matchCase_(matchCase) {
  const std::u32string p = DecodeUtf8(pattern);
  tokens_.reserve(p.size() + 2);
  if (!completeMatch) tokens_.push_back({Token::kStar});
  // Where a search for "]" has already failed: every "[" after it is a literal, so a run of
  // unclosed "[" costs one scan, not one scan each.
  size_t closeless = std::u32string::npos;
  for (size_t i = 0; i < p.size(); ++i) {
    const char32_t c = p[i];
    if (c == '*') {
      if (tokens_.empty() || tokens_.back().kind != Token::kStar) tokens_.push_back({Token::kStar});
    } else if (c == '?') {
      tokens_.push_back({Token::kAny});
    } else if (c == '#') {
      tokens_.push_back({Token::kDigit});
    } else if (c == '[') {
      size_t j = i + 1;
      const bool negate = j < p.size() && p[j] == '!';
      if (negate) ++j;
      const size_t first = j;
      if (j < p.size() && p[j] == ']') ++j;  // a leading "]" is a member
      const size_t close = j < closeless ? p.find(U']', j) : std::u32string::npos;
      if (close == std::u32string::npos) {
        closeless = std::min(closeless, j);
        tokens_.push_back({Token::kLiteral, false, matchCase ? c : FoldAscii(c)});
        continue;
      }
      Token set{Token::kSet, negate};
      set.first = static_cast<uint32_t>(ranges_.size());
      for (size_t k = first; k < close; ++k) {
        if (k + 2 < close && p[k + 1] == '-') {
          ranges_.emplace_back(p[k], p[k + 2]);  // a reversed range matches nothing
          k += 2;
        } else {
          ranges_.emplace_back(p[k], p[k]);
        }
      }
      set.count = static_cast<uint32_t>(ranges_.size()) - set.first;
      tokens_.push_back(set);
      i = close;
    } else {
      tokens_.push_back({Token::kLiteral, false, matchCase ? c : FoldAscii(c)});
    }
  }
  if (!completeMatch && tokens_.back().kind != Token::kStar) tokens_.push_back({Token::kStar});
  for (const Token& t : tokens_) {
    if (t.kind == Token::kStar) {
      hasStar_ = true;
    } else {
      ++minLength_;
    }
  }
}

bool WildcardPattern::InSet(const Token& t, char32_t c) const {
  for (uint32_t k = t.first; k < t.first + t.count; ++k) {
    if (c >= ranges_[k].first && c <= ranges_[k].second) return true;
  }
  return false;
}

bool WildcardPattern::TokenMatches(const Token& t, char32_t c) const {
  switch (t.kind) {
    case Token::kLiteral:
      return t.ch == (matchCase_ ? c : FoldAscii(c));
    case Token::kAny:
      return true;
    case Token::kDigit:
      return c >= '0' && c <= '9';
    case Token::kSet: {
      bool in = InSet(t, c);
      if (!in && !matchCase_) in = InSet(t, FoldAscii(c)) || InSet(t, UpperAscii(c));
      return in != t.negate;
    }
    case Token::kStar:
      break;
  }
  return false;
}

// Greedy walk that returns to the last star on a mismatch: every token but a star takes one
// character, so the last star is the only choice worth revisiting. At worst text length
// times pattern length, with no recursion.
template <class Text>
bool WildcardPattern::MatchCodePoints(const Text& t) const {
  if (t.size() < minLength_ || (!hasStar_ && t.size() != minLength_)) return false;
  size_t ti = 0, pi = 0;
  size_t starP = std::string::npos, starT = 0;
  while (ti < t.size()) {
    if (pi < tokens_.size() && tokens_[pi].kind == Token::kStar) {
      starP = pi++;
      starT = ti;
    } else if (pi < tokens_.size() && TokenMatches(tokens_[pi], static_cast<char32_t>(t[ti]))) {
      ++pi;
      ++ti;
    } else if (starP != std::string::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < tokens_.size() && tokens_[pi].kind == Token::kStar) ++pi;
  return pi == tokens_.size();
}

bool WildcardPattern::Matches(std::string_view text) const {
  if (text.size() < minLength_) return false;  // never fewer bytes than characters
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    return MatchCodePoints(std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
  }
  return MatchCodePoints(DecodeUtf8(text));
}

std::string WildcardPattern::Regex() const {
  std::string out;
  for (size_t k = 0; k < tokens_.size(); ++k) {
    const Token& t = tokens_[k];
    switch (t.kind) {
      case Token::kLiteral:
        AppendRegexChar(out, t.ch, kRegexSpecial);
        break;
      case Token::kAny:
        out += kAnyChar;
        break;
      case Token::kDigit:
        out += "[0-9]";
        break;
      case Token::kStar:
        // Without completeMatch the search finds any part anyway: stars at the ends add nothing.
        if (completeMatch_ || (k != 0 && k + 1 != tokens_.size())) out.append(kAnyChar).append("*");
        break;
      case Token::kSet: {
        std::string members;
        for (uint32_t r = t.first; r < t.first + t.count; ++r) {
          const auto [low, high] = ranges_[r];
          if (low > high) continue;  // matches nothing here, and most engines reject it
          AppendRegexChar(members, low, kRegexSetSpecial);
          if (low != high) {
            members += '-';
            AppendRegexChar(members, high, kRegexSetSpecial);
          }
        }
        if (members.empty()) {
          out += t.negate ? kAnyChar : "(?!)";
        } else {
          out.append(t.negate ? "[^" : "[").append(members).append("]");
        }
        break;
      }
    }
  }
  return out;
}

bool MatchWildcard(std::string_view text, std::string_view pattern, bool completeMatch, bool matchCase) {
  return WildcardPattern(pattern, completeMatch, matchCase).Matches(text);
}

// ---- support ----------------------------------------------------------------------------

StandaloneSupport::StandaloneSupport(StandaloneConfig config) : config_(std::move(config)) {}

std::ostream& StandaloneSupport::LogStream() {
  if (override_) return *override_;
  if (config_.logFile.empty()) return std::cerr;
  if (!logFileTried_) {
    logFileTried_ = true;
    logFile_.open(config_.logFile, std::ios::app);
    if (!logFile_) {
      std::cerr << "ridirodev: cannot open the log file " << config_.logFile
                << "; logging to standard error\n";
    }
  }
  return logFile_.is_open() ? static_cast<std::ostream&>(logFile_) : std::cerr;
}

void StandaloneSupport::Log(int32_t severity, std::string_view component, std::string_view objectName,
                            std::string_view operation, const std::vector<std::string>& messages) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[40];
  const size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
  std::snprintf(stamp + n, sizeof stamp - n, ".%03d", static_cast<int>(millis));

  // The log file keeps one entry per line; on standard error people read it, so a message of
  // several lines shows as lines, indented under the entry.
  std::ostream& out = LogStream();
  const std::string_view lineBreak = &out == &logFile_ ? "\\n" : "\n  ";
  std::string line = stamp;
  line += " [" + std::to_string(severity) + "] ";
  line += component;
  line += ' ';
  line += objectName;
  line += ' ';
  line += operation;
  line += ':';
  for (size_t i = 0; i < messages.size(); ++i) {
    line += i == 0 ? " " : " | ";
    for (char c : messages[i]) {
      if (c == '\n') {
        line += lineBreak;
      } else if (c != '\r') {
        line += c;
      }
    }
  }
  line += '\n';
  out << line;
  out.flush();
}

IAppPropertyDefinitionPtr StandaloneSupport::CreatePropertyDefinition(int32_t id, std::string_view name,
                                                                      float width, int32_t, bool available,
                                                                      int32_t) {
  return std::make_shared<PropertyDefinition>(id, std::string(name), width, available);
}

IAppStringListPtr StandaloneSupport::CreateStringList() { return std::make_shared<StringList>(); }

int32_t StandaloneSupport::CompareText(std::string_view a, std::string_view b, int32_t mode) const {
  const bool matchCase = (mode & kMatchCase) != 0;
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(matchCase ? a[i] : FoldCase(a[i]));
    auto y = static_cast<unsigned char>(matchCase ? b[i] : FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

int32_t StandaloneSupport::CompareDate(Date a, Date b) const { return a < b ? -1 : b < a ? 1 : 0; }

bool StandaloneSupport::MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                                     int32_t options) const {
  const bool matchCase = (options & kMatchCase) != 0;
  if (!lastPattern_ || !lastPattern_->ReadFrom(pattern, completeMatch, matchCase))
    lastPattern_.emplace(pattern, completeMatch, matchCase);
  return lastPattern_->Matches(text);
}

std::string StandaloneSupport::PatternRegex(std::string_view pattern, bool isRegularExpression,
                                            bool usePatternMatching, bool completeMatch,
                                            bool matchCase) const {
  if (pattern.empty()) return {};
  std::string body;
  if (isRegularExpression) {
    // A group keeps the anchors around an alternation.
    body = completeMatch ? "(?:" + std::string(pattern) + ")" : std::string(pattern);
  } else if (usePatternMatching) {
    body = WildcardPattern(pattern, completeMatch, matchCase).Regex();
    if (body.empty()) body = std::string(kAnyChar) + "*";  // "*" alone: "" would mean no pattern
  } else {
    for (const char32_t cp : DecodeUtf8(pattern)) AppendRegexChar(body, cp, kRegexSpecial);
  }
  std::string out = matchCase ? "" : "(?i)";
  if (completeMatch) out += '^';
  out += body;
  if (completeMatch) out += '$';
  return out;
}

bool StandaloneSupport::TextEquals(std::string_view a, std::string_view b, bool matchCase) const {
  return CompareText(a, b, matchCase ? kMatchCase : 0) == 0;
}

std::string StandaloneSupport::FormatDate(Date date, int32_t style) const {
  if (style != 4) return date.GeneralDate();
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", date.Year(), date.Month(), date.Day(),
                date.Hour(), date.Minute(), date.Second());
  return buf;
}

ValueCheck StandaloneSupport::CheckInteger(std::string_view text) const {
  // The caller has taken off the one minus a criterion may have: any sign left is a second one.
  std::string_view s = TrimSpace(text);
  if (s.empty() || s.find_first_not_of("0123456789") != std::string_view::npos) {
    return Fail(Quoted(text) + " is not a valid integer.");
  }
  while (s.size() > 1 && s.front() == '0') s.remove_prefix(1);
  int64_t value = 0;
  if (s.size() <= 10) {
    for (char c : s) value = value * 10 + (c - '0');
  }
  if (s.size() > 10 || value > INT32_MAX) {
    return Fail(Quoted(text) + " is outside the integer range -2147483648 to 2147483647.");
  }
  return Pass(Variant(static_cast<int32_t>(value)));
}

ValueCheck StandaloneSupport::CheckNumber(std::string_view text) const {
  double d = 0;
  if (!Variant::ParseNumber(text, d)) return Fail(Quoted(text) + " is not a valid number.");
  return Pass(Variant(d));
}

ValueCheck StandaloneSupport::CheckText(std::string_view text) const {
  const std::string_view s = TrimSpace(text);
  if (s.empty()) return Fail("A text value is required.");
  if (s.front() == '\'') {
    std::string value;
    size_t i = 1;
    for (;;) {
      const size_t q = s.find('\'', i);
      if (q == std::string_view::npos)
        return Fail("The text " + std::string(s) + " is missing its closing quote.");
      value.append(s.substr(i, q - i));
      if (q + 1 < s.size() && s[q + 1] == '\'') {
        value += '\'';
        i = q + 2;
        continue;
      }
      if (q + 1 != s.size()) {
        return Fail("The text " + std::string(s) +
                    " has a single quote that is not doubled (write '' for one quote).");
      }
      return Pass(Variant(std::move(value)));
    }
  }
  // A bare value reaches a query as it stands: one word, so that no blank, operator or comment
  // mark can carry a second condition in. Characters beyond ASCII count as letters: no dialect
  // gives them a meaning of syntax.
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool wordChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == '.' || c >= 0x80;
    if (wordChar || (c == '-' && (i + 1 == s.size() || s[i + 1] != '-'))) continue;
    const std::string what = c == ' ' || c == '\t'   ? "a blank"
                             : c == '-'              ? "the comment mark --"
                             : c < 0x20 || c == 0x7F ? "a control character"
                                                     : "'" + std::string(1, s[i]) + "'";
    return Fail(
        "The text " + std::string(s) + " has " + what +
        " outside quotes: a value is one word of letters, digits, _, - and ., or a text in single quotes.");
  }
  return Pass(Variant(std::string(s)));
}

ValueCheck StandaloneSupport::CheckDate(std::string_view text) const {
  std::string_view s = TrimSpace(text);
  if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') s = s.substr(1, s.size() - 2);
  if (auto d = Date::Parse(s)) return Pass(Variant(*d));
  return Fail(Quoted(text) +
              " is not a valid date (write yyyy-mm-dd [hh:mm[:ss]] or m/d/yyyy [h:mm:ss AM/PM]).");
}

double StandaloneSupport::ToNumber(std::string_view text) const {
  double d = 0;
  if (!Variant::ParseNumber(text, d)) {
    throw AutomationError(ErrorNumber::kTypeMismatch, kSource,
                          "Type mismatch: " + Quoted(text) + " is not a number");
  }
  return d;
}

std::string StandaloneSupport::ToXmlValue(const Variant& value) const {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Missing:
      return {};
    case VarType::Boolean:
      return value.ToBool() ? "true" : "false";
    case VarType::Integer:
      return std::to_string(value.ToInt32());
    case VarType::Double:
      return Variant::FormatDouble(value.ToDouble());
    case VarType::String:
      return value.StringRef();
    case VarType::Date:
      return value.ToDate().ToIso();
    case VarType::Object:
      break;
  }
  throw AutomationError(ErrorNumber::kTypeMismatch, kSource, "Type mismatch: an object has no XML value");
}

Date StandaloneSupport::FromXmlDate(std::string_view text) const {
  return Date::FromIso(TrimSpace(text)).value_or(Date::Zero());
}

double StandaloneSupport::FromXmlNumber(std::string_view text) const {
  double d = 0;
  return Variant::ParseNumber(text, d) ? d : 0.0;
}

std::string StandaloneSupport::QuoteQueryString(std::string_view text) const {
  return QuoteWithBackslashes(text);
}

std::string StandaloneSupport::XmlEncode(std::string_view text) const { return XmlEscape(text); }

void StandaloneSupport::PrepareCombo(IComboBox& combo, std::string_view, std::string_view allText) {
  combo.Clear();
  combo.AddItem(allText);
}

void StandaloneSupport::CompleteCombo(IComboBox& combo) {
  if (combo.ListCount() > 0) combo.SetListIndex(0);
}

bool StandaloneSupport::ComboHas(const IComboBox& combo, std::string_view text) const {
  for (int32_t i = 0; i < combo.ListCount(); ++i) {
    if (EqualsNoCase(combo.List(i), text)) return true;
  }
  return false;
}

int32_t StandaloneSupport::DaySlotCount(bool fromSettings) const {
  return fromSettings ? config_.daySlots : 24;
}

IHourSelectionPtr StandaloneSupport::CreateHourSelection() { return std::make_shared<HourSelection>(); }

}  // namespace ridirodev::standalone
