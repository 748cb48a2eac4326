#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/core/date.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/items.h"
#include "ridirodev/model/extra_column_values.h"

namespace ridirodev {

class CAppGroupTemplate;
class CFieldCategory;
class CFieldType;
class CAggregator;
class CExtraColumn;
class CEnumValues;
class IAppUser;
class IXMLNode;
class MRidirodev;
namespace sql {
struct FieldRow;
}  // namespace sql

// What a field refers to. The rows of one load that name the same template, entity, field type
// and aggregator share one copy: a large dictionary has a few hundred such combinations for
// many thousand fields.
struct FieldRefs {
  std::weak_ptr<CAppGroupTemplate> tpl;
  std::weak_ptr<CFieldCategory> category;
  std::shared_ptr<CFieldType> fieldType;
  std::shared_ptr<CAggregator> aggregator;
};

// One entry of the data dictionary: a counter, key field, external field or calculation.
class CField : public Object, public ILVItemObject {
 public:
  CField();
  ~CField() override;

  // The loaders' form: every member from one dictionary row.
  // The texts it keeps are taken by value, so that a loader's temporaries are moved in.
  void Initialize(int32_t ordA, std::string sNameA, int32_t ordEntity, const std::string& sAppName,
                  const std::string& sFieldTypeA, int32_t iTechBitsA, std::string sDataTypeA,
                  bool fNullOkA, std::string sColumnHeading1A, std::string sColumnHeading2A,
                  std::string sDescriptionA, const std::string& sAggregator, int32_t ordOwner,
                  std::string sCalcSourceA, Date dateChangedA, std::string sStatusA = "",
                  ExtraColumnValuesPtr dicInfo = nullptr, std::string sComplexA = "",
                  int32_t lWeightField = 0, int32_t iFontStyleA = 0, int32_t iFontColorA = 0);
  // The loads' form of the same: the row's texts are moved out, so that the loader's one row
  // object serves every row without a copy per text.
  void InitializeFromRow(sql::FieldRow& row, const std::string& sAppName, ExtraColumnValuesPtr dicInfo);
  void InitializeFromXML(const std::string& sAppName, const IXMLNode& xmlObj);
  // The same for the loads, which hold the state already: no look-up per row.
  void InitializeFromRow(MRidirodev& state, sql::FieldRow& row, const std::string& sAppName,
                         ExtraColumnValuesPtr dicInfo);
  void InitializeFromXML(MRidirodev& state, const std::string& sAppName, const IXMLNode& xmlObj);
  // A common field of an entity of "Traffic": keyed by its bare name.
  void InitializeAsCommon(int32_t ordA, const std::string& sNameA, int32_t ordEntity, int32_t iTechBitsA,
                          const std::string& sDataTypeA, const std::string& sColumnHeading1A,
                          const std::string& sColumnHeading2A, const std::string& sDescriptionA,
                          const std::string& sAggregator, int32_t ordOwner, Date dateChangedA,
                          const std::string& sFieldTypeA, const std::string& sStatusA = "",
                          const std::string& sComplexA = "", int32_t lWeightField = 0,
                          int32_t iFontStyleA = 0, int32_t iFontColorA = 0);
  // The loads' form of the same, from an entity's row.
  void InitializeAsCommon(MRidirodev& state, const sql::FieldRow& row);
  std::shared_ptr<CField> Clone();

  std::string Key() const override { return key_; }
  // The key without a copy, for the collections that index fields. It is fixed by the
  // initialiser: a field is initialised before it is added to any collection.
  const std::string& KeyRef() const noexcept { return key_; }
  int32_t Id() const noexcept { return id_; }
  // Takes effect only while the id is 0.
  void SetId(int32_t id) noexcept;
  void ClearId() noexcept { id_ = 0; }
  // The name is the start of the key, which every form of key begins with.
  std::string_view Name() const noexcept { return std::string_view(key_).substr(0, nameSize_); }
  std::string AppName() const;
  int32_t DataSourceId() const;
  std::shared_ptr<CFieldCategory> FieldCategory() const { return refs_->category.lock(); }
  int32_t EntityId() const;
  std::string Category() const;
  std::string FieldType() const;
  std::string FieldTypeId() const;
  int32_t FieldTechBits() const noexcept { return techBits_; }
  std::string FieldTechType() const;
  const std::string& DataType() const noexcept { return *dataType_; }
  bool NullOk() const noexcept { return nullOk_; }
  const std::string& ColumnHeading1() const noexcept { return heading1_; }
  const std::string& ColumnHeading2() const noexcept { return heading2_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& CalcSource() const noexcept { return details_ ? details_->calcSource : NoText(); }
  std::string Aggregator() const;
  std::string TimeAggregator() const;
  std::string ElementAggregator() const;
  const std::string& Status() const noexcept { return details_ ? details_->status : NoText(); }
  Date Changed() const noexcept { return changed_; }
  void SetChanged(Date changed) noexcept { changed_ = changed; }
  std::string Owner() const;
  int32_t UserId() const;
  const std::string& Complex() const noexcept { return details_ ? details_->complex : NoText(); }
  int32_t Weight_Field_Id() const noexcept { return details_ ? details_->weightFieldId : 0; }
  int32_t FontMask() const noexcept { return details_ ? details_->fontMask : 0; }
  int32_t FontColor() const noexcept { return details_ ? details_->fontColor : 0; }
  // Only fields of data type "E"; loaded on first use and kept.
  std::shared_ptr<CEnumValues> EnumValues();
  const ExtraColumnValuesPtr& ExtraColumnDictionary() const noexcept { return extra_; }

  bool IsExpression() const;
  bool IsExternal() const;
  bool IsKeyField() const;
  // The server's translation message of an expression, asked without waiting; "" for any
  // other field.
  std::string ExpressionError() const;
  Variant ExtraFieldValue(const std::string& sFieldName) const;
  bool IsFilterOK(const std::string& sTechFilter, const std::string& sFieldFilter,
                  const std::string& sOwnerFilter, const std::string& sSearchPattern, bool fUseForBusyHour,
                  const std::string& sRcvFormFilter = "", const std::string& sRcvFieldFilter = "") const;

  // ILVItemObject
  Variant Value(int32_t column) const override;
  // Fields offer no value lists for in-place editing.
  std::string ValueList(int32_t, const std::string&) const override { return ""; }
  int32_t Compare(int32_t column, const ILVItemObject& other) const override;

  // The template this field belongs to (nullptr before initialisation).
  std::shared_ptr<CAppGroupTemplate> Template() const { return refs_->tpl.lock(); }

 private:
  // The references as an initialiser finds them, held while it runs.
  struct RefsBeingMade {
    std::shared_ptr<CAppGroupTemplate> tpl;
    std::shared_ptr<CFieldCategory> category;
    std::shared_ptr<CFieldType> fieldType;
    std::shared_ptr<CAggregator> aggregator;
  };
  // Runs an initialiser's steps and keeps the references they found, also those found before
  // a step failed: members are set as they are read.
  template <class Steps>
  void BindRefs(Steps&& steps);
  void SetRefs(RefsBeingMade&& made);
  // The references of a dictionary row; inside a load, rows that name the same objects as an
  // earlier row take its answer.
  void BindRowRefs(MRidirodev& state, const std::string& sAppName, int32_t ordEntity,
                   const std::string& sFieldType, const std::string& sAggregator);
  // A row's plain members, then its references and the rest.
  void BeginRow(sql::FieldRow& row);
  void EndRow(MRidirodev& state, sql::FieldRow& row, const std::string& sAppName, ExtraColumnValuesPtr dicInfo);
  static const std::shared_ptr<const FieldRefs>& NoRefs();
  // Template, category (and key), field type, aggregator and owner of the initialisers.
  void BindTemplate(MRidirodev& state, RefsBeingMade& refs, const std::string& sAppName);
  void BindCategory(MRidirodev& state, RefsBeingMade& refs, int32_t ordEntity);
  void BindFieldType(MRidirodev& state, RefsBeingMade& refs, const std::string& sFieldType);
  void BindAggregator(MRidirodev& state, RefsBeingMade& refs, const std::string& sAggregator);
  void BindOwner(MRidirodev& state, int32_t ordOwner);
  std::string FieldTechType(MRidirodev& state) const;
  void BindTechBits(int32_t iTechBits);
  // Column i (from 1) of the template's extra columns, or nullptr.
  std::shared_ptr<CExtraColumn> ExtraColumnAt(int32_t i) const;
  std::string ColumnText(int32_t column) const;

  // Members most fields leave empty: the source and complex text of a calculation, the status,
  // the weighting field, the display style and the enumerated values. They are kept apart so
  // that the many plain counters of a large dictionary do not carry them.
  struct Details {
    std::string calcSource;
    std::string complex;
    std::string status;
    int32_t weightFieldId = 0;
    int32_t fontMask = 0;
    int32_t fontColor = 0;
    std::shared_ptr<CEnumValues> enumValues;
  };
  static const std::string& NoText() noexcept;
  Details& EditDetails();
  // Stores a detail; an empty text or 0 needs no details block of its own.
  void SetDetail(std::string Details::*member, std::string text);
  void SetDetail(int32_t Details::*member, int32_t number);

  // Sets the name and makes it the whole key until the category is bound.
  void SetName(std::string name);

  std::string key_;
  std::shared_ptr<const FieldRefs> refs_;  // never null
  std::shared_ptr<IAppUser> owner_;
  // Data types are a handful of codes: every field of a type points at one shared text.
  const std::string* dataType_ = &NoText();
  std::string heading1_;
  std::string heading2_;
  std::string description_;
  Date changed_;
  ExtraColumnValuesPtr extra_;
  std::unique_ptr<Details> details_;
  int32_t id_ = 0;
  int32_t techBits_ = 0;
  uint32_t nameSize_ = 0;
  bool nullOk_ = false;
};
using CFieldPtr = std::shared_ptr<CField>;

}  // namespace ridirodev
