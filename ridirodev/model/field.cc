#include "ridirodev/model/field.h"

#include <type_traits>
#include <unordered_map>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/store/field_loaders.h"
#include "ridirodev/store/udc_persistence.h"

namespace ridirodev {
namespace {

// The low eight bits of a column code index the extra columns; the rest names the property.
constexpr int32_t kColumnIndexBits = 0xFF;

std::string TextOf(const Variant& value) {
  if (value.IsEmpty() || value.IsNull() || value.IsMissing()) return "";
  return value.ToString();
}

bool IsTextColumn(int32_t property) {
  return property >= fldName && property <= fldComplex && property != fldModified;
}

// Gateway attributes are text; an empty one stands for a null column, read as 0, False or the
// zero date as the row loaders do. Anything else that does not convert fails with 13.
int32_t XmlNumber(const IXMLNode& node, std::string_view name) {
  const std::string text = node.Attribute(name);
  return TrimBlanks(text).empty() ? 0 : Variant(text).ToInt32();
}

bool XmlFlag(const IXMLNode& node, std::string_view name) {
  const std::string text = node.Attribute(name);
  const std::string_view trimmed = TrimBlanks(text);
  if (trimmed.empty()) return false;
  // The dictionary stores flags as Y and N.
  if (EqualsNoCase(trimmed, "Y")) return true;
  if (EqualsNoCase(trimmed, "N")) return false;
  return Variant(text).ToBool();
}

Date XmlDate(const IXMLNode& node, std::string_view name) {
  const std::string text = node.Attribute(name);
  return TrimBlanks(text).empty() ? Date() : Variant(text).ToDate();
}

}  // namespace

CField::CField() : refs_(NoRefs()) {}
CField::~CField() = default;

const std::string& CField::NoText() noexcept {
  static const std::string empty;
  return empty;
}

CField::Details& CField::EditDetails() {
  if (!details_) details_ = std::make_unique<Details>();
  return *details_;
}

void CField::SetDetail(std::string Details::*member, std::string text) {
  if (details_ || !text.empty()) EditDetails().*member = std::move(text);
}

void CField::SetDetail(int32_t Details::*member, int32_t number) {
  if (details_ || number != 0) EditDetails().*member = number;
}

// The look-ups below run for every row of a load: keys go in as they are, without the
// Variant an automation caller would pass, and inside a load (while its batch is open) the
// previous row's answer is taken again when the question is the same.
namespace {

using Lookups = MRidirodev::FieldLookups;

// The answer to a look-up, taken from the batch's slot when the question is the one asked last.
template <class Answer, class Lookup>
std::remove_cvref_t<decltype(std::declval<Answer&>().value)> Recall(Answer Lookups::*slot,
                                                                    typename Answer::QuestionType question,
                                                                    const Lookup& lookup, MRidirodev& state) {
  Lookups* batch = state.BatchFieldLookups();
  if (!batch) return lookup();
  Answer& answer = batch->*slot;
  if (!answer.known || !(answer.question == question)) {
    answer.value = lookup();
    answer.question = std::move(question);
    answer.known = true;
  }
  return answer.value;
}

}  // namespace

void CField::BindTemplate(MRidirodev& state, RefsBeingMade& refs, const std::string& sAppName) {
  refs.tpl = Recall(
      &Lookups::tpl, sAppName, [&] { return state.AppGroupTemplates()->Items().ItemByKey(sAppName); }, state);
}

void CField::BindCategory(MRidirodev& state, RefsBeingMade& refs, int32_t ordEntity) {
  const CAppGroupTemplatePtr& tpl = refs.tpl;
  const bool extendedViews = state.Support().ExtendedEntityViews();
  auto [category, categoryName] =
      Recall(&Lookups::category, std::make_tuple(tpl.get(), ordEntity, extendedViews), [&] {
        CFieldCategoryPtr found =
            tpl ? tpl->FieldCategories()->Items().ItemByKey(EntityKey(ordEntity)) : nullptr;
        std::string name = found ? found->CategoryName() : std::string();
        return std::make_pair(std::move(found), std::move(name));
      },
      state);
  key_ = FieldKey(Name(), category ? std::string_view(categoryName) : std::string_view());
  refs.category = std::move(category);
}

void CField::BindFieldType(MRidirodev& state, RefsBeingMade& refs, const std::string& sFieldType) {
  const CAppGroupTemplatePtr& tpl = refs.tpl;
  refs.fieldType = Recall(
      &Lookups::type, std::make_pair(tpl.get(), sFieldType),
      [&] { return tpl ? tpl->FieldTypes()->Items().ItemByKey(sFieldType) : nullptr; }, state);
}

void CField::BindAggregator(MRidirodev& state, RefsBeingMade& refs, const std::string& sAggregator) {
  refs.aggregator = Recall(
      &Lookups::aggregator, sAggregator, [&] { return state.ValidAggregators()->Items().ItemByKey(sAggregator); },
      state);
}

}  // namespace ridirodev

// What the rows of one batch named and the references they got: rows that name the same
// template, entity, field type and aggregator (under the same entity views) share them.
struct ridirodev::MRidirodev::FieldLookups::SharedRefs {
  struct Question {
    std::string app;
    int32_t entity = 0;
    bool extendedViews = false;
    std::string type;
    std::string aggregator;
    bool operator==(const Question&) const = default;
  };
  struct QuestionHash {
    size_t operator()(const Question& q) const noexcept {
      const std::hash<std::string_view> text;
      size_t h = text(q.app);
      for (size_t part :
           {static_cast<size_t>(q.entity) * 2 + q.extendedViews, text(q.type), text(q.aggregator)}) {
        h = h * 1000003u ^ part;
      }
      return h;
    }
  };
  struct Answer {
    std::shared_ptr<const FieldRefs> refs;
    std::string keySuffix;  // what follows the name in the key: ":" and the category's name
  };
  std::unordered_map<Question, Answer, QuestionHash> answers;
};

namespace ridirodev {

template <class Steps>
void CField::BindRefs(Steps&& steps) {
  RefsBeingMade made;
  try {
    steps(made);
  } catch (...) {
    SetRefs(std::move(made));
    throw;
  }
  SetRefs(std::move(made));
}

void CField::SetRefs(RefsBeingMade&& made) {
  refs_ = std::make_shared<const FieldRefs>(FieldRefs{std::move(made.tpl), std::move(made.category),
                                                      std::move(made.fieldType), std::move(made.aggregator)});
}

void CField::BindRowRefs(MRidirodev& state, const std::string& sAppName, int32_t ordEntity,
                         const std::string& sFieldType, const std::string& sAggregator) {
  auto bindAll = [&](RefsBeingMade& refs) {
    BindTemplate(state, refs, sAppName);
    BindCategory(state, refs, ordEntity);
    BindFieldType(state, refs, sFieldType);
    BindAggregator(state, refs, sAggregator);
  };
  MRidirodev::FieldLookups* batch = state.BatchFieldLookups();
  if (!batch) {
    BindRefs(bindAll);
    return;
  }
  using SharedRefs = MRidirodev::FieldLookups::SharedRefs;
  if (!batch->shared) batch->shared = std::make_shared<SharedRefs>();
  SharedRefs::Question question{sAppName, ordEntity, state.Support().ExtendedEntityViews(), sFieldType,
                                sAggregator};
  if (auto found = batch->shared->answers.find(question); found != batch->shared->answers.end()) {
    refs_ = found->second.refs;
    std::string key;
    key.reserve(nameSize_ + found->second.keySuffix.size());  // exactly: every loaded field keeps one
    key.append(Name()).append(found->second.keySuffix);
    key_ = std::move(key);
    return;
  }
  BindRefs(bindAll);
  batch->shared->answers.emplace(std::move(question), SharedRefs::Answer{refs_, key_.substr(nameSize_)});
}

const std::shared_ptr<const FieldRefs>& CField::NoRefs() {
  static const auto none = std::make_shared<const FieldRefs>();
  return none;
}

void CField::BindOwner(MRidirodev& state, int32_t ordOwner) {
  // 0 is how the rows say "no owner"; the host need not be asked.
  owner_ = ordOwner == 0 ? nullptr : state.UserById(ordOwner);
}

void CField::BindTechBits(int32_t iTechBits) {
  // The technology text is worked out when it is read: the technology list's per-value cache
  // keeps that cheap, and a list it cannot serve fails only the read, not the load.
  techBits_ = iTechBits;
}

void CField::Initialize(int32_t ordA, std::string sNameA, int32_t ordEntity, const std::string& sAppName,
                        const std::string& sFieldTypeA, int32_t iTechBitsA, std::string sDataTypeA, bool fNullOkA,
                        std::string sColumnHeading1A, std::string sColumnHeading2A, std::string sDescriptionA,
                        const std::string& sAggregator, int32_t ordOwner, std::string sCalcSourceA,
                        Date dateChangedA, std::string sStatusA, ExtraColumnValuesPtr dicInfo,
                        std::string sComplexA, int32_t lWeightField, int32_t iFontStyleA, int32_t iFontColorA) {
  sql::FieldRow row;
  row.id = ordA;
  row.name = std::move(sNameA);
  row.entityId = ordEntity;
  row.fieldGroup = sFieldTypeA;
  row.techMask = iTechBitsA;
  row.dataType = std::move(sDataTypeA);
  row.nullOk = fNullOkA;
  row.heading1 = std::move(sColumnHeading1A);
  row.heading2 = std::move(sColumnHeading2A);
  row.description = std::move(sDescriptionA);
  row.aggregator = sAggregator;
  row.owner = ordOwner;
  row.udcSource = std::move(sCalcSourceA);
  row.changed = dateChangedA;
  row.status = std::move(sStatusA);
  row.complex = std::move(sComplexA);
  row.weightField = lWeightField;
  row.fontStyle = iFontStyleA;
  row.fontColor = iFontColorA;
  InitializeFromRow(row, sAppName, std::move(dicInfo));
}

void CField::InitializeFromRow(sql::FieldRow& row, const std::string& sAppName, ExtraColumnValuesPtr dicInfo) {
  // The state is looked up where the binding first needs it, after the plain members.
  BeginRow(row);
  EndRow(MRidirodev::Current(), row, sAppName, std::move(dicInfo));
}

void CField::InitializeFromRow(MRidirodev& state, sql::FieldRow& row, const std::string& sAppName,
                               ExtraColumnValuesPtr dicInfo) {
  BeginRow(row);
  EndRow(state, row, sAppName, std::move(dicInfo));
}

void CField::BeginRow(sql::FieldRow& row) {
  id_ = row.id;
  SetName(std::move(row.name));
  BindTechBits(row.techMask);
}

void CField::EndRow(MRidirodev& state, sql::FieldRow& row, const std::string& sAppName,
                    ExtraColumnValuesPtr dicInfo) {
  BindRowRefs(state, sAppName, row.entityId, row.fieldGroup, row.aggregator);
  BindOwner(state, row.owner);
  dataType_ = &InternText(row.dataType);
  nullOk_ = row.nullOk;
  heading1_ = std::move(row.heading1);
  heading2_ = std::move(row.heading2);
  description_ = std::move(row.description);
  SetDetail(&Details::calcSource, std::move(row.udcSource));
  changed_ = row.changed;
  SetDetail(&Details::status, std::move(row.status));
  extra_ = std::move(dicInfo);
  SetDetail(&Details::complex, std::move(row.complex));
  SetDetail(&Details::weightFieldId, row.weightField);
  SetDetail(&Details::fontMask, row.fontStyle);
  SetDetail(&Details::fontColor, row.fontColor);
}

void CField::InitializeFromXML(const std::string& sAppName, const IXMLNode& xmlObj) {
  InitializeFromXML(MRidirodev::Current(), sAppName, xmlObj);
}

void CField::InitializeFromXML(MRidirodev& state, const std::string& sAppName, const IXMLNode& xmlObj) {
  // Members are set as their attributes are read: a failing attribute ends the call there.
  BindRefs([&](RefsBeingMade& refs) {
    BindTemplate(state, refs, sAppName);
    id_ = XmlNumber(xmlObj, "Field_Id");
    SetName(xmlObj.Attribute("Name"));
    BindCategory(state, refs, XmlNumber(xmlObj, "Entity_Id"));
    BindAggregator(state, refs, xmlObj.Attribute("Field_Aggregator"));
    BindOwner(state, XmlNumber(xmlObj, "Field_Owner"));
    BindFieldType(state, refs, xmlObj.Attribute("Field_Group_Short"));
  });
  BindTechBits(XmlNumber(xmlObj, "Tech_Mask"));
  dataType_ = &InternText(xmlObj.Attribute("DataType"));
  nullOk_ = XmlFlag(xmlObj, "Is_Null_OK");
  heading1_ = xmlObj.Attribute("Report_Header");
  heading2_ = xmlObj.Attribute("Report_Header2");
  description_ = xmlObj.Attribute("Field_Desc");
  SetDetail(&Details::status, xmlObj.Attribute("Status"));
  changed_ = XmlDate(xmlObj, "Changed");
  SetDetail(&Details::calcSource, xmlObj.Attribute("UDC_Source"));
  SetDetail(&Details::complex, xmlObj.Attribute("Complex"));
  if (state.flags.styleFieldsAvailable) {
    SetDetail(&Details::fontMask, XmlNumber(xmlObj, "FontStyleMask"));
    SetDetail(&Details::fontColor, XmlNumber(xmlObj, "FontColor"));
  }
  SetDetail(&Details::weightFieldId, 0);
  ExtraColumnValuesPtr values;
  if (CAppGroupTemplatePtr tpl = Template()) {
    CExtraColumnsPtr columns = tpl->ExtraColumns();
    if (columns->Count() > 0) {
      auto titles = std::make_shared<ExtraColumnValues::Titles>();
      for (const CExtraColumnPtr& column : *columns) titles->push_back(column->Key());
      values = std::make_shared<ExtraColumnValues>(std::move(titles));
      size_t i = 0;
      for (const CExtraColumnPtr& column : *columns)
        values->At(i++) = Variant(xmlObj.Attribute(column->Name()));
    }
  }
  extra_ = std::move(values);
}

void CField::InitializeAsCommon(int32_t ordA, const std::string& sNameA, int32_t ordEntity,
                                int32_t iTechBitsA, const std::string& sDataTypeA,
                                const std::string& sColumnHeading1A, const std::string& sColumnHeading2A,
                                const std::string& sDescriptionA, const std::string& sAggregator,
                                int32_t ordOwner, Date dateChangedA, const std::string& sFieldTypeA,
                                const std::string& sStatusA, const std::string& sComplexA,
                                int32_t lWeightField, int32_t iFontStyleA, int32_t iFontColorA) {
  // The ordinary initialiser, keeping the members a common field has no value for, then the
  // bare name as key: common fields are shared by name across entities.
  Initialize(ordA, sNameA, ordEntity, "Traffic", sFieldTypeA, iTechBitsA, sDataTypeA, nullOk_, sColumnHeading1A,
             sColumnHeading2A, sDescriptionA, sAggregator, ordOwner, CalcSource(), dateChangedA, sStatusA, extra_,
             sComplexA, lWeightField, iFontStyleA, iFontColorA);
  key_.resize(nameSize_);
}

void CField::InitializeAsCommon(MRidirodev& state, const sql::FieldRow& common) {
  // As the form above: the members a common field has no value for are kept.
  sql::FieldRow row;
  row.id = common.id;
  row.name = common.name;
  row.entityId = common.entityId;
  row.fieldGroup = common.fieldGroup;
  row.techMask = common.techMask;
  row.dataType = common.dataType;
  row.nullOk = nullOk_;
  row.heading1 = common.heading1;
  row.heading2 = common.heading2;
  row.description = common.description;
  row.aggregator = common.aggregator;
  row.owner = common.owner;
  row.udcSource = CalcSource();
  row.changed = common.changed;
  row.status = common.status;
  row.complex = common.complex;
  row.weightField = common.weightField;
  row.fontStyle = common.fontStyle;
  row.fontColor = common.fontColor;
  InitializeFromRow(state, row, "Traffic", extra_);
  key_.resize(nameSize_);
}

std::shared_ptr<CField> CField::Clone() {
  auto copy = std::make_shared<CField>();
  copy->Initialize(id_, std::string(Name()), EntityId(), AppName(), FieldType(), techBits_, *dataType_,
                   nullOk_, heading1_, heading2_, description_, Aggregator(), UserId(), CalcSource(),
                   changed_, Status(), extra_, Complex(), Weight_Field_Id(), FontMask(), FontColor());
  if (std::shared_ptr<CEnumValues> values = EnumValues()) copy->EditDetails().enumValues = std::move(values);
  return copy;
}

void CField::SetName(std::string name) {
  key_ = std::move(name);
  nameSize_ = static_cast<uint32_t>(key_.size());
}

void CField::SetId(int32_t id) noexcept {
  if (id_ == 0) id_ = id;
}

std::string CField::AppName() const {
  CAppGroupTemplatePtr tpl = Template();
  return tpl ? tpl->AppName() : std::string();
}

int32_t CField::DataSourceId() const {
  CAppGroupTemplatePtr tpl = Template();
  return tpl ? tpl->DataSourceId() : 0;
}

int32_t CField::EntityId() const {
  CFieldCategoryPtr category = FieldCategory();
  return category ? category->Id() : 0;
}

std::string CField::Category() const {
  CFieldCategoryPtr category = FieldCategory();
  return category ? category->CategoryEntity() : std::string();
}

std::string CField::FieldType() const {
  return refs_->fieldType ? refs_->fieldType->TypeName() : std::string();
}

std::string CField::FieldTypeId() const {
  return refs_->fieldType ? std::to_string(refs_->fieldType->FieldTypeId()) : std::string();
}

std::string CField::FieldTechType() const { return FieldTechType(MRidirodev::Current()); }

std::string CField::FieldTechType(MRidirodev& state) const {
  return state.ValidTechTypes()->FieldTechType(techBits_);
}

std::string CField::Aggregator() const {
  return refs_->aggregator ? refs_->aggregator->Key() : std::string();
}
std::string CField::TimeAggregator() const {
  return refs_->aggregator ? refs_->aggregator->TimeAggregator() : std::string();
}
std::string CField::ElementAggregator() const {
  return refs_->aggregator ? refs_->aggregator->ElementAggregator() : std::string();
}

std::string CField::Owner() const { return owner_ ? owner_->Name() : std::string(); }
int32_t CField::UserId() const { return owner_ ? owner_->Id() : 0; }

std::shared_ptr<CEnumValues> CField::EnumValues() {
  if (*dataType_ != "E") return nullptr;
  if (details_ && details_->enumValues) return details_->enumValues;
  MRidirodev& state = MRidirodev::Current();
  try {
    std::shared_ptr<CEnumValues> values = state.EnumValues(id_);
    // A field with no values has no entry: the look-up fails like a missing collection key.
    if (!values) {
      throw AutomationError(ErrorNumber::kInvalidArgument, "CField", "Invalid procedure call or argument");
    }
    EditDetails().enumValues = values;
    return values;
  } catch (const AutomationError& e) {
    state.Messages().MessageBox("Error loading the enumeration values.\r\n" + e.Description(),
                                MessageBoxStyle::kCritical, state.Support().AppTitle());
    return nullptr;
  }
}

bool CField::IsExpression() const { return refs_->fieldType && refs_->fieldType->TypeName() == "UDC"; }
bool CField::IsExternal() const { return refs_->fieldType && refs_->fieldType->TypeName() == "EXT"; }

std::string CField::ExpressionError() const {
  if (!IsExpression()) return "";
  std::string status;
  return sql::GetUDCStatus(MRidirodev::Current().Services(), Variant(id_), status, 0);
}

bool CField::IsKeyField() const {
  if (AppName() != "UDR") return false;
  try {
    CFieldCategoryPtr category = FieldCategory();
    if (!category) return false;
    auto keys = category->FieldKeys();
    return keys && !keys->ItemByKey(key_).empty();
  } catch (const AutomationError&) {
    return false;
  }
}

Variant CField::ExtraFieldValue(const std::string& sFieldName) const {
  const Variant* value = extra_ ? extra_->Find(sFieldName) : nullptr;
  return value ? *value : Variant();
}

bool CField::IsFilterOK(const std::string& sTechFilter, const std::string& sFieldFilter,
                        const std::string& sOwnerFilter, const std::string& sSearchPattern,
                        bool fUseForBusyHour, const std::string& sRcvFormFilter,
                        const std::string& sRcvFieldFilter) const {
  // Every test runs, even after one has failed: the pattern matcher is the host's and is
  // always asked. The state is looked up once, and only by a test that needs it.
  MRidirodev* found = nullptr;
  auto state = [&found]() -> MRidirodev& {
    if (!found) found = &MRidirodev::Current();
    return *found;
  };
  const bool techOk =
      sTechFilter.empty() || FieldTechType(state()).find_first_of(sTechFilter) != std::string::npos;

  const std::string fieldType = FieldType();
  const bool typeOk =
      (sFieldFilter.empty() || sFieldFilter == fieldType) && !(fieldType == "EXT" && AppName() == "UDR");

  const bool ownerOk = sOwnerFilter.empty() || sOwnerFilter == Owner();

  const bool busyHourOk = !fUseForBusyHour || (refs_->aggregator && refs_->aggregator->OkForBusyHour());

  const bool patternOk = TrimBlanks(sSearchPattern).empty() ||
                         state().Support().MatchPattern(Name(), sSearchPattern, true, 0);

  bool rcvFormOk = sRcvFormFilter.empty();
  if (!rcvFormOk) {
    try {
      CAppGroupTemplatePtr tpl = Template();
      CExtraColumnPtr column = tpl ? tpl->ExtraColumns()->Item(Variant("RCVFormName")) : nullptr;
      rcvFormOk = column && TextOf(ExtraFieldValue(column->Name())) == sRcvFormFilter;
    } catch (const AutomationError&) {
      rcvFormOk = false;
    }
  }

  const bool rcvFieldOk = sRcvFieldFilter.empty() || sRcvFieldFilter == heading2_;

  return techOk && typeOk && ownerOk && busyHourOk && patternOk && rcvFormOk && rcvFieldOk;
}

CExtraColumnPtr CField::ExtraColumnAt(int32_t i) const {
  CAppGroupTemplatePtr tpl = Template();
  if (!tpl || i < 1) return nullptr;
  return tpl->ExtraColumns()->Item(Variant(i));
}

std::string CField::ColumnText(int32_t column) const {
  switch (column & ~kColumnIndexBits) {
    case fldName:
      return std::string(Name());
    case fldEntity:
      return Category();
    case fldTechType:
      return FieldTechType();
    case fldFieldType:
      return FieldType();
    case fldHeading1:
      return heading1_;
    case fldHeading2:
      return heading2_;
    case fldDescription:
      return description_;
    case fldOwner:
      return Owner();
    case fldTimeAggregator:
      return TimeAggregator();
    case fldElementAggregator:
      return ElementAggregator();
    case fldStatus:
      return Status();
    case fldDataType:
      return *dataType_;
    case fldUDCSource:
      return CalcSource();
    case fldModified:
      return changed_.IsZero() ? std::string() : changed_.GeneralDate();
    case fldComplex:
      return Complex();
    case fldExtra: {
      CExtraColumnPtr extraColumn = ExtraColumnAt(column & kColumnIndexBits);
      return extraColumn ? TextOf(ExtraFieldValue(extraColumn->Name())) : std::string();
    }
    default:
      return "";
  }
}

Variant CField::Value(int32_t column) const { return Variant(ColumnText(column)); }

int32_t CField::Compare(int32_t column, const ILVItemObject& other) const {
  const int32_t property = column & ~kColumnIndexBits;
  const auto* field = dynamic_cast<const CField*>(&other);
  IAppSupport& support = MRidirodev::Current().Support();
  if (IsTextColumn(property)) return support.CompareText(ColumnText(column), TextOf(other.Value(column)), 0);
  if (property == fldModified) return field ? support.CompareDate(changed_, field->changed_) : 0;
  if (property == fldExtra) {
    CExtraColumnPtr extraColumn = ExtraColumnAt(column & kColumnIndexBits);
    if (!extraColumn) return 0;
    // Both sides by this field's column: the other field's own template may number them apart.
    const std::string theirs =
        field ? TextOf(field->ExtraFieldValue(extraColumn->Name())) : TextOf(other.Value(column));
    return support.CompareText(TextOf(ExtraFieldValue(extraColumn->Name())), theirs, 0);
  }
  return 0;
}

}  // namespace ridirodev
