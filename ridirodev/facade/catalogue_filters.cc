// Filters, template fields, property filters, filter definitions, clipboards, RCV forms.
#include <memory>
#include <string>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/clipboard/clipboards.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/filter/filter.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/filter/property_filters.h"
#include "ridirodev/model/filter/template_fields.h"
#include "ridirodev/model/rcv/rcv_filter.h"

namespace ridirodev {
namespace {

using binding::ComboBoxOf;
using binding::ObjectNotSet;
using binding::OptionalByRef;
using binding::P;
constexpr auto kCreatable = Instancing::kCreatable;

// The C++ member takes a view, which a late-bound argument cannot lend.
void InitializeFilter(CFilter& self, int32_t ordRow, const std::string& sExpressionA,
                      const std::string& sDataTypeA) {
  self.Initialize(ordRow, sExpressionA, sDataTypeA);
}

// The C++ member takes the filter itself; a late-bound caller may hand in Nothing.
void RemoveTemplateFieldFilter(CTemplateField& self, const CFilterPtr& fltrA) {
  if (!fltrA) ObjectNotSet();
  self.RemoveFilter(*fltrA);
}

// The list-view property is the host's object; the C++ members take it as a variant.
std::string PropertyValueList(IPropertyFilter& self, const ObjectPtr& lvp, const std::string& sContext) {
  return self.ValueList(Variant(lvp), sContext);
}
std::string PropertyLabelList(IPropertyFilter& self, const ObjectPtr& lvp, const std::string& sContext) {
  return self.LabelList(Variant(lvp), sContext);
}
EPropertyDataType PropertyDataType(IPropertyFilter& self, const ObjectPtr& lvp, const std::string& sContext) {
  return self.PropertyType(Variant(lvp), sContext);
}

bool PopulateRcvFormCB(CRcvFilter& self, const ObjectPtr& obj) {
  return self.PopulateRcvFormCB(ComboBoxOf(obj));
}
bool PopulateRcvFieldCB(CRcvFilter& self, const std::string& sKey, const ObjectPtr& obj) {
  return self.PopulateRcvFieldCB(sKey, ComboBoxOf(obj));
}

// The three clipboards share one design; only the source's name and the event interface differ.
template <class C>
void DeclareClipboard(Catalogue::Builder& b, const char* name, const char* events, const char* source) {
  b.Class<C>(name, kCreatable, {}, events)
      .template Method<&C::Clear>("Clear")
      .template Method<&C::Reset>("Reset",
                                  {P::ByRef(source), OptionalByRef("objSourceA", Variant(ObjectPtr()))})
      .template Get<&C::SourceEntities>("SourceEntities")
      .template Get<&C::SourceObject>("SourceObject")
      .template Get<&C::Operation>("Operation")
      .template Method<&C::IsEmpty>("IsEmpty")
      .template Get<&C::ClipboardFormatId>("ClipboardFormatId")
      .template Let<&C::SetClipboardFormatId>("ClipboardFormatId")
      .template Event<&C::StateChange>(b.Events(events), "StateChange", {});
}

}  // namespace

void DeclareFilterClasses(Catalogue::Builder& b) {
  b.Class<CFilter>("CFilter", kCreatable)
      .Method<&InitializeFilter>("Initialize", {"ordRow", "sExpressionA", "sDataTypeA"})
      .Get<&CFilter::Row>("Row")
      .Get<&CFilter::Expression>("Expression")
      .Get<&CFilter::FormattedExpression>("FormattedExpression")
      .Get<&CFilter::DataType>("DataType")
      .Method<&CFilter::Clone>("Clone")
      .Get<&CFilter::Key>("Key")
      .Method<static_cast<bool (CFilter::*)(std::string&) const>(&CFilter::IsValid)>("IsValid",
                                                                                     {P("sError", "")});
  // Remove and Clear stay the component's own.
  b.Class<CFilters>("CFilters", kCreatable)
      .Method<&CFilters::Add>("Add", {P::ByRef("fltr")})
      .Get<&CFilters::Count>("Count")
      .Method<&CFilters::Clone>("Clone")
      .Get<&CFilters::Item>("Item", {P::ByRef("v")})
      .Default()
      .Method<&CFilters::Exists>("Exists", {"v"})
      .Get<&CFilters::NewEnum>("NewEnum")
      .Enumerator();
  b.Class<CTemplateField>("CTemplateField", kCreatable)
      .Method<&CTemplateField::Initialize>(
          "Initialize", {"fldA", "fltrsA", "sSortOrderA", "fShowA", P("sCommentAttributeA", "")})
      .Get<&CTemplateField::Filters>("Filters")
      .Set<&CTemplateField::SetFilters>("Filters")
      .Method<&CTemplateField::AddFilter>("AddFilter", {"fltr"})
      .Method<&RemoveTemplateFieldFilter>("RemoveFilter", {"fltrA"})
      .Get<&CTemplateField::Field>("Field")
      .Set<&CTemplateField::SetField>("Field")
      .Get<&CTemplateField::SortOrder>("SortOrder")
      .Let<&CTemplateField::SetSortOrder>("SortOrder")
      .Get<&CTemplateField::CommentAttribute>("CommentAttribute")
      .Let<&CTemplateField::SetCommentAttribute>("CommentAttribute")
      .Get<&CTemplateField::Show>("Show")
      .Let<&CTemplateField::SetShow>("Show");
  b.Class<CTemplateFields>("CTemplateFields", kCreatable)
      .StandardCollection("tplf")
      .Method<&CTemplateFields::Table>(
          "Table", {P("fShowColumnHeadings", true), P("fShowEntity", true), P("sColSeparator", "\t")});
  b.Class<IPropertyFilter>("IPropertyFilter", kCreatable)
      .Method<&PropertyValueList>("ValueList", {"lvp", "sContext"})
      .Method<&PropertyLabelList>("LabelList", {"lvp", "sContext"})
      .Method<&PropertyDataType>("PropertyType", {"lvp", "sContext"});
  b.Class<CFilterDate>("CFilterDate", kCreatable, {"IXMLPropertyBag"})
      .Method<&CFilterDate::FilterString>("FilterString")
      .Method<&CFilterDate::FilterExpression>("FilterExpression", {"sField"})
      .Method<&CFilterDate::SQLFilterExpression>("SQLFilterExpression", {"sField"})
      .Get<&CFilterDate::Relative>("Relative")
      .Let<&CFilterDate::SetRelative>("Relative")
      .Get<&CFilterDate::MinDate>("MinDate")
      .Let<&CFilterDate::SetMinDate>("MinDate")
      .Get<&CFilterDate::MaxDate>("MaxDate")
      .Let<&CFilterDate::SetMaxDate>("MaxDate")
      .Get<&CFilterDate::RelativeType>("RelativeType")
      .Let<&CFilterDate::SetRelativeType>("RelativeType")
      .Get<&CFilterDate::RelativeUnits>("RelativeUnits")
      .Let<&CFilterDate::SetRelativeUnits>("RelativeUnits")
      .Method<&CFilterDate::IsAccepted>("IsAccepted", {"sDate"});
  b.Class<CFilterNumber>("CFilterNumber", kCreatable, {"IXMLPropertyBag"})
      .Method<&CFilterNumber::IsSet>("IsSet")
      .Method<&CFilterNumber::IsMinSet>("IsMinSet")
      .Method<&CFilterNumber::IsMaxSet>("IsMaxSet")
      .Method<&CFilterNumber::Clear>("Clear")
      .Method<&CFilterNumber::FilterString>("FilterString")
      .Method<&CFilterNumber::FilterExpression>("FilterExpression", {"sField"})
      .Method<&CFilterNumber::SQLFilterExpression>("SQLFilterExpression", {"sField"})
      .Get<&CFilterNumber::MinValue>("MinValue")
      .Let<&CFilterNumber::SetMinValue>("MinValue")
      .Get<&CFilterNumber::MaxValue>("MaxValue")
      .Let<&CFilterNumber::SetMaxValue>("MaxValue")
      .Method<&CFilterNumber::IsAccepted>("IsAccepted", {"sNumber"});
  b.Class<CFilterString>("CFilterString", kCreatable, {"IXMLPropertyBag"})
      .Method<&CFilterString::Clear>("Clear")
      .Method<&CFilterString::IsSet>("IsSet")
      .Method<&CFilterString::FilterString>("FilterString")
      .Method<&CFilterString::FilterExpression>("FilterExpression", {"sField"})
      .Method<&CFilterString::FilterExpressionRE>("FilterExpressionRE", {"sField"})
      .Method<&CFilterString::SQLFilterExpression>("SQLFilterExpression", {"sField"})
      .Get<&CFilterString::Value>("Value")
      .Let<&CFilterString::SetValue>("Value")
      .Get<&CFilterString::UsePatternMatching>("UsePatternMatching")
      .Let<&CFilterString::SetUsePatternMatching>("UsePatternMatching")
      .Get<&CFilterString::CompleteMatch>("CompleteMatch")
      .Let<&CFilterString::SetCompleteMatch>("CompleteMatch")
      .Get<&CFilterString::MatchCase>("MatchCase")
      .Let<&CFilterString::SetMatchCase>("MatchCase")
      .Method<&CFilterString::IsAccepted>("IsAccepted", {"sExpression"});
  b.Class<CFilterEnum>("CFilterEnum", kCreatable, {"IXMLPropertyBag"})
      .Method<&CFilterEnum::Clear>("Clear")
      .Get<&CFilterEnum::Value>("Value")
      .Let<&CFilterEnum::SetValue>("Value")
      .Method<&CFilterEnum::FilterString>("FilterString")
      .Method<&CFilterEnum::FilterExpression>("FilterExpression", {"sField", P("fStringValues", true)})
      .Method<&CFilterEnum::SQLFilterExpression>("SQLFilterExpression", {"sField"})
      .Method<&CFilterEnum::IsAccepted>("IsAccepted", {"sExpression", "fTechFilter"});
  b.Class<CFilterDefinition>("CFilterDefinition", kCreatable)
      .Method<&CFilterDefinition::Clone>("Clone")
      .Get<&CFilterDefinition::Name>("Name")
      .Let<&CFilterDefinition::SetName>("Name")
      .Get<&CFilterDefinition::Filter>("Filter")
      .Let<&CFilterDefinition::SetFilter>("Filter");
  b.Class<CFilterDefinitions>("CFilterDefinitions", kCreatable, {"IAppRegistryHandler"},
                              "__CFilterDefinitions")
      .Method<&CFilterDefinitions::Notify>("Notify")
      .Method<&CFilterDefinitions::Reset>("Reset")
      .Method<&CFilterDefinitions::Add>("Add", {P::ByRef("FilterDef")})
      .Method<&CFilterDefinitions::LookupByFilter>("LookupByFilter", {"sFilter"})
      .Method<&CFilterDefinitions::Index>("Index", {P::ByRef("FilterDef")})
      .Method<&CFilterDefinitions::Count>("Count")
      .Get<&CFilterDefinitions::Fixed>("Fixed")
      .Method<&CFilterDefinitions::Exists>("Exists", {"v"})
      .Method<&CFilterDefinitions::Item>("Item", {"v"})
      .Default()
      .Method<&CFilterDefinitions::NewEnum>("NewEnum")
      .Enumerator()
      .Event<&CFilterDefinitions::StateChange>(b.Events("__CFilterDefinitions"), "StateChange", {});
  DeclareClipboard<CFieldClipboard>(b, "CFieldClipboard", "__CFieldClipboard", "fldsSourceA");
  DeclareClipboard<CTemplateFieldClipboard>(b, "CTemplateFieldClipboard", "__CTemplateFieldClipboard",
                                            "tplfsSourceA");
  DeclareClipboard<CBusyHourClipboard>(b, "CBusyHourClipboard", "__CBusyHourClipboard", "bhsSourceA");
  b.Class<CRcvField>("CRcvField", kCreatable)
      .Get<&CRcvField::Name>("Name")
      .Let<&CRcvField::SetName>("Name")
      .Get<&CRcvField::Field_Id>("Field_Id")
      .Let<&CRcvField::SetField_Id>("Field_Id")
      .Get<&CRcvField::FieldName>("FieldName")
      .Let<&CRcvField::SetFieldName>("FieldName")
      .Get<&CRcvField::Entity_Id>("Entity_Id")
      .Let<&CRcvField::SetEntity_Id>("Entity_Id")
      .Get<&CRcvField::Entity_Name>("Entity_Name")
      .Let<&CRcvField::SetEntity_Name>("Entity_Name")
      .Get<&CRcvField::FormName>("FormName")
      .Let<&CRcvField::SetFormName>("FormName");
  b.Class<CRcvForm>("CRcvForm", kCreatable)
      .Get<&CRcvForm::Name>("Name")
      .Let<&CRcvForm::SetName>("Name")
      .Method<&CRcvForm::Add>("Add", {P::ByRef("RcvField")})
      .Method<&CRcvForm::Exists>("Exists", {"v"})
      .Method<&CRcvForm::Item>("Item", {"v"})
      .Default()
      .Method<&CRcvForm::NewEnum>("NewEnum")
      .Enumerator()
      .Method<&CRcvForm::Count>("Count")
      .Get<&CRcvForm::RcvFields>("RcvFields");
  b.Class<CRcvFilter>("CRcvFilter", kCreatable)
      .Method<&CRcvFilter::Add>("Add", {P::ByRef("RcvForm")})
      .Method<&CRcvFilter::Exists>("Exists", {"v"})
      .Method<&CRcvFilter::Item>("Item", {"v"})
      .Default()
      .Method<&CRcvFilter::NewEnum>("NewEnum")
      .Enumerator()
      .Method<&CRcvFilter::Count>("Count")
      .Method<&PopulateRcvFormCB>("PopulateRcvFormCB", {P::ByRef("obj")})
      .Method<&PopulateRcvFieldCB>("PopulateRcvFieldCB", {"sKey", "obj"})
      .Method<&CRcvFilter::GetEntityFromRcvFormName>("GetEntityFromRcvFormName", {"sKey"})
      .Method<&CRcvFilter::GetRcvFieldValue>("GetRcvFieldValue", {"sForm", "sField"});
}

}  // namespace ridirodev
