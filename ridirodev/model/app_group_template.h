#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class IDBObject;
class IDBRecordset;
class CField;
class CFields;
class CFieldCategories;
class CFieldTypes;
class CExtraColumns;
class CTemplateCategories;
class MRidirodev;

// The cache of one application group (a data source with its hierarchy, field types, extra
// columns and fields). Each kind of dictionary data loads on first use and stays loaded.
class CAppGroupTemplate : public Object {
 public:
  CAppGroupTemplate();
  ~CAppGroupTemplate() override;

  const std::string& Key() const noexcept { return appName_; }
  const std::string& AppName() const noexcept { return appName_; }
  int32_t DataSourceId() const noexcept { return dataSourceId_; }
  int32_t DataContextId() const noexcept { return dataContextId_; }

  std::shared_ptr<CFieldCategories> FieldCategories();
  std::shared_ptr<CTemplateCategories> TemplateCategories();
  std::shared_ptr<CFieldTypes> FieldTypes();
  std::shared_ptr<CExtraColumns> ExtraColumns();

  // Field key texts of the entity (a new empty collection when it has none).
  std::shared_ptr<KeyedCollection<std::string>> FieldKeys(int32_t ordEntity);
  // The entity's static fields whose keys are in its field-key list, in that list's order.
  std::shared_ptr<CFields> KeyFields(int32_t ordEntity);
  // The cached collections (a new empty one when there is none).
  std::shared_ptr<CFields> Expressions(int32_t ordEntity);
  std::shared_ptr<CFields> StaticFields(int32_t ordEntity);
  // Every category's static fields then expressions, in hierarchy order, fetched in one request.
  std::shared_ptr<CFields> AllFields(bool fReload = false);
  // A new collection: the entity's static fields then its expressions. Error 10 for an entity
  // of 0 or less.
  std::shared_ptr<CFields> Fields(int32_t ordEntity);
  void UpdateField(const std::shared_ptr<CField>& fld);
  void ReloadFields(int32_t ordEntity);
  void ReloadExpressions(int32_t ordEntity);
  void ClearAll();

  // From one row of the templates statement: DataSource_Name (null as ""), DataSource_ID and
  // DataSource_App_CTX (null as 0); db is the database object the row set came from.
  void Initialize(IDBObject& db, const IDBRecordset& rs);
  void Initialize(std::string appName, int32_t dataSourceId, int32_t dataContextId);

 private:
  std::string appName_;
  int32_t dataSourceId_ = 0;
  int32_t dataContextId_ = 0;
  enum class Kind { kBoth, kStatic, kExpressions };
  // One entity, or a list of them (AllFields), which the gateway is asked for as a group.
  enum class Ids { kOne, kGroup };
  void LoadEntityFields(MRidirodev& state, int32_t ordEntity, bool gatewayAllowed);
  // Loads the one kind the entity lacks.
  void LoadKind(MRidirodev& state, int32_t ordEntity, Kind kind, bool gatewayAllowed);
  // Adds the entity's cached static fields, then its expressions.
  void AppendCached(int32_t ordEntity, CFields& result) const;
  // Fetches the fields of the entity list for one kind from this template (and from Client for
  // Traffic) and distributes them into the by-entity collections.
  void FetchAndDistribute(MRidirodev& state, const std::string& entityIds, Ids ids, Kind kind, bool gatewayAllowed,
                          bool supplement);

  std::shared_ptr<CFieldCategories> fieldCategories_;
  std::shared_ptr<CTemplateCategories> templateCategories_;
  KeyedCollection<std::shared_ptr<CFields>> staticFields_;
  KeyedCollection<std::shared_ptr<CFields>> expressions_;
  std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<std::string>>>> fieldKeys_;
  std::shared_ptr<CFieldTypes> fieldTypes_;
  std::shared_ptr<CExtraColumns> extraColumns_;
};
using CAppGroupTemplatePtr = std::shared_ptr<CAppGroupTemplate>;

// Every application group; a second template under a known name is ignored.
class CAppGroupTemplates : public ObjectCollection<CAppGroupTemplate, DuplicateKey::kSkip> {};
using CAppGroupTemplatesPtr = std::shared_ptr<CAppGroupTemplates>;

}  // namespace ridirodev
