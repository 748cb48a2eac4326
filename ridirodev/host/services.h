#pragma once

// The host's global objects: support, application-group services, feature switches,
// message display and folder services.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/date.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/documents.h"

namespace ridirodev {

// Outcome of a host value check: the check's own message when it fails.
struct ValueCheck {
  bool ok = false;
  std::string message;
  Variant value;  // the converted value when ok (Integer, Double, String or Date)
};

// Message box styles and answers of the platform.
namespace MessageBoxStyle {
inline constexpr int32_t kOkOnly = 0;
inline constexpr int32_t kYesNo = 4;
inline constexpr int32_t kCritical = 16;
inline constexpr int32_t kQuestion = 32;
inline constexpr int32_t kExclamation = 48;
inline constexpr int32_t kInformation = 64;
}  // namespace MessageBoxStyle
namespace MessageBoxResult {
inline constexpr int32_t kOk = 1;
inline constexpr int32_t kCancel = 2;
inline constexpr int32_t kYes = 6;
inline constexpr int32_t kNo = 7;
}  // namespace MessageBoxResult

// Option bit of IAppSupport::MatchPattern.
inline constexpr int32_t kPatternMatchCase = 1;

class IAppSupport : public Object {
 public:
  // Diagnostic log: severity, component ("Ridirodev"), object or module name, operation, texts.
  virtual void Log(int32_t severity, std::string_view component, std::string_view objectName,
                   std::string_view operation, const std::vector<std::string>& messages) = 0;
  virtual bool ExtendedEntityViews() = 0;
  virtual std::string AppTitle() const = 0;
  virtual bool WaitPointer() const = 0;
  virtual void SetWaitPointer(bool hourglass) = 0;

  virtual IAppPropertyDefinitionPtr CreatePropertyDefinition(int32_t id, std::string_view name, float width,
                                                             int32_t a, bool available, int32_t b) = 0;
  virtual IAppPropertySetPtr CreatePropertySet() = 0;
  // The object handed to a property set's table renderer.
  virtual std::shared_ptr<Object> TableRendererContext() = 0;
  virtual IAppStringListPtr CreateStringList() = 0;

  // Negative, zero or positive.
  virtual int32_t CompareText(std::string_view a, std::string_view b, int32_t mode = 0) const = 0;
  virtual int32_t CompareDate(Date a, Date b) const = 0;
  // Wildcard match of text against pattern; completeMatch asks the whole text to match.
  // options: kPatternMatchCase to compare with regard to case.
  virtual bool MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                            int32_t options) const = 0;

  // The pattern object: the regular expression that a user's pattern stands for. With
  // isRegularExpression the pattern is one already; without usePatternMatching it is plain text.
  // "" when there is nothing to match.
  virtual std::string PatternRegex(std::string_view pattern, bool isRegularExpression,
                                   bool usePatternMatching, bool completeMatch, bool matchCase) const = 0;
  virtual bool TextEquals(std::string_view a, std::string_view b, bool matchCase) const = 0;
  // A date as text in one of the host's numbered styles (4: the query language's date form).
  virtual std::string FormatDate(Date date, int32_t style) const = 0;

  virtual ValueCheck CheckInteger(std::string_view text) const = 0;
  virtual ValueCheck CheckNumber(std::string_view text) const = 0;
  virtual ValueCheck CheckText(std::string_view text) const = 0;
  virtual ValueCheck CheckDate(std::string_view text) const = 0;
  virtual double ToNumber(std::string_view text) const = 0;

  // XML value forms (ISO dates, plain numbers) both ways.
  virtual std::string ToXmlValue(const Variant& value) const = 0;
  virtual Date FromXmlDate(std::string_view text) const = 0;
  virtual double FromXmlNumber(std::string_view text) const = 0;
  virtual std::string QuoteQueryString(std::string_view text) const = 0;
  virtual std::string XmlEncode(std::string_view text) const = 0;

  virtual void PrepareCombo(IComboBox& combo, std::string_view listName, std::string_view allText) = 0;
  virtual void CompleteCombo(IComboBox& combo) = 0;
  virtual bool ComboHas(const IComboBox& combo, std::string_view text) const = 0;

  virtual int32_t DaySlotCount(bool fromSettings = true) const = 0;
  virtual IHourSelectionPtr CreateHourSelection() = 0;
};
using IAppSupportPtr = std::shared_ptr<IAppSupport>;

class IModalForm;  // ridirodev/host/dialogs.h

class IAppGroupServices : public Object {
 public:
  virtual IAppSettingsNodePtr Settings() = 0;
  virtual IAppSettingsNodePtr CreateSettingsNode(std::string_view name) = 0;
  virtual IAppSettingsNodePtr CreatePropertyList(std::string_view name, std::string_view defaultValue) = 0;
  virtual IAppPropertySetPtr NamedPropertySet(std::string_view name) = 0;  // nullptr when none
  virtual std::vector<std::string> FolderNames() const = 0;
  virtual IFolderPtr Folder(std::string_view name) const = 0;  // nullptr when none
  // Shows a form modally through the host's dialog front; returns once it is closed.
  virtual void ShowModal(IModalForm& form) = 0;
};
using IAppGroupServicesPtr = std::shared_ptr<IAppGroupServices>;

class IAppFeatures : public Object {
 public:
  virtual bool IsEnabled(std::string_view feature) const = 0;
};
using IAppFeaturesPtr = std::shared_ptr<IAppFeatures>;

class IAppMessages : public Object {
 public:
  virtual void Trace(std::string_view text, int32_t level) = 0;
  virtual bool TraceEnabled() const = 0;
  // Returns the button pressed (MessageBoxResult).
  virtual int32_t MessageBox(std::string_view text, int32_t style, std::string_view caption) = 0;
  virtual void Report(std::string_view text, bool flag) = 0;
};
using IAppMessagesPtr = std::shared_ptr<IAppMessages>;

class IAppUser : public Object {
 public:
  virtual int32_t Id() const = 0;
  virtual std::string Name() const = 0;
};
using IAppUserPtr = std::shared_ptr<IAppUser>;

class IFolderServices : public Object {
 public:
  virtual IAppUserPtr UserByName(std::string_view name) = 0;  // nullptr when unknown
  virtual IAppUserPtr UserById(int32_t id) = 0;               // nullptr when unknown
  virtual IAppUserPtr CurrentUser() = 0;
  virtual IDocumentHandlerPtr DocumentHandler(std::string_view name) = 0;  // nullptr when unknown
  // The id of the report that belongs to an express template; 0 when none.
  virtual int32_t ExpressTemplateReportId(const IFolderDocument& expressTemplate) = 0;
  // Asked between items of a long walk: true asks to stop.
  virtual bool StopRequested() = 0;
};
using IFolderServicesPtr = std::shared_ptr<IFolderServices>;

}  // namespace ridirodev
