#pragma once

// The support services of the standalone host: diagnostic log, property sets (property_set.h),
// comparisons, the wildcard matcher, value checks and value conversions.

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/items.h"
#include "ridirodev/host/services.h"
#include "standalone/config.h"
#include "standalone/property_set.h"

namespace ridirodev::standalone {

// Option bit of MatchPattern and mode bit of CompareText: compare with regard to case.
inline constexpr int32_t kMatchCase = 1;

// Wildcards: "*" any run of characters, "?" one character, "#" one digit, "[abc]", "[a-z]"
// one of a set, "[!a-z]" one character outside it. A "]" right after "[" or "[!" belongs to
// the set; a "[" without its "]" stands for itself. Characters are UTF-8 code points; case
// is ignored for ASCII letters unless matchCase. Without completeMatch the pattern may match
// any part of the text.
bool MatchWildcard(std::string_view text, std::string_view pattern, bool completeMatch, bool matchCase);

// The same rules with the pattern read once, for matching it against many texts. A match
// takes at worst time proportional to the text's length times the pattern's.
class WildcardPattern {
 public:
  WildcardPattern(std::string_view pattern, bool completeMatch, bool matchCase);
  bool Matches(std::string_view text) const;
  // The pattern as the body of a regular expression, without anchors or case flag: "*" is
  // [\s\S]* and "?" [\s\S] (a line break is a character like any other), "#" is [0-9], a set
  // a bracket expression (a set of reversed ranges only matches nothing: (?!)), and every
  // other character stands for itself, escaped where the syntax needs it. Letters are
  // folded to lower case unless matchCase: the caller adds the case flag.
  std::string Regex() const;
  // Whether it was read from these arguments, so that a caller can keep it for the next call.
  bool ReadFrom(std::string_view pattern, bool completeMatch, bool matchCase) const {
    return completeMatch == completeMatch_ && matchCase == matchCase_ && pattern == source_;
  }

 private:
  struct Token {
    enum Kind : uint8_t { kLiteral, kAny, kDigit, kSet, kStar };
    Kind kind;
    bool negate = false;
    char32_t ch = 0;     // a literal, folded unless matchCase
    uint32_t first = 0;  // a set: its ranges in ranges_
    uint32_t count = 0;
  };
  bool TokenMatches(const Token& t, char32_t c) const;
  bool InSet(const Token& t, char32_t c) const;
  template <class Text>
  bool MatchCodePoints(const Text& text) const;

  std::string source_;
  bool completeMatch_;
  bool matchCase_;
  std::vector<Token> tokens_;
  std::vector<std::pair<char32_t, char32_t>> ranges_;
  size_t minLength_ = 0;  // characters every match needs
  bool hasStar_ = false;
};

class StandaloneSupport : public IAppSupport {
 public:
  explicit StandaloneSupport(StandaloneConfig config);

  const StandaloneConfig& Config() const { return config_; }
  // Sends the log to out instead of the configured file (out must outlive this object).
  void SetLogStream(std::ostream& out) { override_ = &out; }

  // One line per entry: local time with milliseconds, "[severity]", component, object,
  // operation, then ": " and the messages joined by " | ". In the log file, line breaks inside a
  // message are written as \n so that one entry stays one line; elsewhere they start an indented
  // line. Never fails: when the log file cannot be opened, the entry goes to standard error.
  void Log(int32_t severity, std::string_view component, std::string_view objectName,
           std::string_view operation, const std::vector<std::string>& messages) override;
  bool ExtendedEntityViews() override { return config_.extendedEntityViews; }
  std::string AppTitle() const override { return config_.appTitle; }
  bool WaitPointer() const override { return waitPointer_; }
  void SetWaitPointer(bool hourglass) override { waitPointer_ = hourglass; }

  IAppPropertyDefinitionPtr CreatePropertyDefinition(int32_t id, std::string_view name, float width,
                                                     int32_t a, bool available, int32_t b) override;
  IAppPropertySetPtr CreatePropertySet() override { return std::make_shared<PropertySet>(); }
  std::shared_ptr<Object> TableRendererContext() override { return std::make_shared<TableRenderContext>(); }
  IAppStringListPtr CreateStringList() override;

  // -1, 0 or 1 in byte order after folding ASCII case; with kMatchCase in mode, without folding.
  int32_t CompareText(std::string_view a, std::string_view b, int32_t mode = 0) const override;
  int32_t CompareDate(Date a, Date b) const override;
  // options: kMatchCase or 0.
  bool MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                    int32_t options) const override;

  // The expression is in the syntax common to the usual engines and valid for ECMAScript
  // std::regex once a leading "(?i)" is removed (pass icase instead); it is meant for search,
  // and characters are code points for an engine that reads UTF-8.
  // - "" for an empty pattern.
  // - isRegularExpression: the pattern is used as it is, in a group when anchored.
  // - otherwise with usePatternMatching the wildcards of MatchWildcard are translated
  //   (WildcardPattern::Regex); without it the whole pattern is plain text. Every other
  //   character that means something to a regular expression is escaped.
  // - completeMatch anchors with ^ and $; without matchCase the expression starts with "(?i)".
  std::string PatternRegex(std::string_view pattern, bool isRegularExpression, bool usePatternMatching,
                           bool completeMatch, bool matchCase) const override;
  // Equality as CompareText sees it: ASCII case is ignored unless matchCase.
  bool TextEquals(std::string_view a, std::string_view b, bool matchCase) const override;
  // Style 4: "yyyy-mm-dd hh:mm:ss", the form the query language reads; any other style the
  // General Date text.
  std::string FormatDate(Date date, int32_t style) const override;

  // Integer: digits alone, 32 bits (the criterion check takes off its one minus first, so a sign
  // here is a second one). Number: the platform's number text.
  // Text: a quoted text ('it''s' gives it's) or one bare word of letters, digits, "_", "-"
  // and "." without "--". Date: ISO or US General Date text, optionally in single quotes. Blanks around
  // are ignored; the message names the text as given.
  ValueCheck CheckInteger(std::string_view text) const override;
  ValueCheck CheckNumber(std::string_view text) const override;
  ValueCheck CheckText(std::string_view text) const override;
  ValueCheck CheckDate(std::string_view text) const override;
  // Error 13 for text that is not a number.
  double ToNumber(std::string_view text) const override;

  // Empty and Null give "", Booleans true/false, numbers their shortest decimal text, dates
  // ISO text; error 13 for objects. Reading back, text not in those forms (and "") gives the
  // zero date and 0: a filter bag with a bad value is simply not set.
  std::string ToXmlValue(const Variant& value) const override;
  Date FromXmlDate(std::string_view text) const override;
  double FromXmlNumber(std::string_view text) const override;
  // Double quotes around; backslash and double quote escaped with a backslash.
  std::string QuoteQueryString(std::string_view text) const override;
  // The five XML entities.
  std::string XmlEncode(std::string_view text) const override;

  // Clears the combo and adds allText as its first entry.
  void PrepareCombo(IComboBox& combo, std::string_view listName, std::string_view allText) override;
  // Selects the first entry when there is one.
  void CompleteCombo(IComboBox& combo) override;
  // Whether an entry equals text, ignoring case.
  bool ComboHas(const IComboBox& combo, std::string_view text) const override;

  // The configured count; without fromSettings the built-in 24 hours.
  int32_t DaySlotCount(bool fromSettings = true) const override;
  IHourSelectionPtr CreateHourSelection() override;

 private:
  std::ostream& LogStream();

  StandaloneConfig config_;
  bool waitPointer_ = false;
  std::ostream* override_ = nullptr;
  std::ofstream logFile_;
  bool logFileTried_ = false;
  // A search matches one pattern against every name: it is read once.
  mutable std::optional<WildcardPattern> lastPattern_;
};

}  // namespace ridirodev::standalone
