#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/host/controls.h"

namespace ridirodev {

class CAppGroupTemplate;
class CAppGroupTemplates;
class CFieldTechTypes;
class CAggregator;
class CAggregators;
class CFunctions;
class CFunctionCategories;
class CField;
class CFields;
class CFieldCategory;
class CFieldCategories;
class CFieldUpdates;
class IFolderDocuments;
class IComboBox;
class CRcvFilter;
class CBusyHour;
class CBusyHours;
class CFilterDefinition;
class CFilterDefinitions;
class CDataFiles;
class CFieldClipboard;
class CTemplateFieldClipboard;
class CAppDocTypeSlrTree;
class IFolderDocumentType;
class IFolderDocumentTypes;

// The component's global object: entry points to the cached dictionary, lookups and limits.
// It holds no state; every member forwards to the calling thread's MRidirodev.
class GRidirodev {
 public:
  GRidirodev() = delete;

  static bool FlexibleAggregationEnabled();
  static int32_t EntityIDFromName(const std::string& sName);
  static std::string LookupFieldType(const std::string& sAppNameA, const std::string& sFieldTypeA);
  static std::shared_ptr<CFieldTechTypes> ValidTechTypes();
  // A new definition named sNameA whose filter is every valid technology's short name, in order.
  static std::shared_ptr<CFilterDefinition> AllTechnologies(const std::string& sNameA = "");
  // The process-wide definitions, made on first request.
  static std::shared_ptr<CFilterDefinitions> FilterDefinitions();
  // The data files of the entity. The cached collection serves while it is of that entity, and
  // serves every entity without the extended entity views; otherwise a load replaces it.
  static std::shared_ptr<CDataFiles> DataFiles(int32_t EntityId = 0);
  // The clipboard for dragging fields, or with fDragging false the one for copying; each made
  // empty on first use.
  static std::shared_ptr<CFieldClipboard> FieldClipboard(bool fDragging = true);
  static std::shared_ptr<CTemplateFieldClipboard> TemplateFieldClipboard();
  static std::shared_ptr<CFilterDefinition> CreateFilterDefinition(const std::string& sName,
                                                                   const std::string& sFilter = "");
  static std::shared_ptr<CAppGroupTemplates> AppGroupTemplates();
  // nullptr when there is no template of that name.
  static std::shared_ptr<CAppGroupTemplate> AppGroupTemplate(const std::string& sAppName);
  static std::shared_ptr<CAggregators> ValidAggregators();
  // 0: the cached collection of all functions; otherwise a new collection of that category.
  static std::shared_ptr<CFunctions> Functions(int32_t FunctionCategoryId = 0);
  static std::shared_ptr<CFunctionCategories> FunctionCategories();
  static std::string EntityKey(int32_t ordEntity);
  static std::shared_ptr<KeyedCollection<std::string>> BasicAggregators();
  // The last valid aggregator with both aggregators equal; an empty element aggregator means
  // the time aggregator. nullptr when none matches.
  static std::shared_ptr<CAggregator> LookupAggregator(const std::string& sTimeAggregator,
                                                       const std::string& sElementAggregator = "");
  static int32_t ExpressionNameLength();
  static int32_t ExpressionLength();
  static int32_t ExprColumnHeading2Length();
  static int32_t ExprColumnHeading1Length();
  static int32_t ExpressionDescriptionLength();
  static int32_t CriteriaLength();
  static int32_t ExtraColumnLength(const std::string& sColType);
  static bool DoComplex();
  static bool DoWeighted();
  static bool UsesExternalDataSources();

  // Property sets, value and label lists and column maps of the host's lists, each built on
  // first use and kept. The field and expression sets are one per template: nullptr for an
  // application without one.
  static IAppPropertySetPtr FieldProperties(const std::string& sAppName);
  static IAppPropertySetPtr ExpressionProperties(const std::string& sAppName);
  static IAppPropertySetPtr DefaultFieldProperties();
  static IAppPropertySetPtr EQVToolProperties();
  static IAppPropertySetPtr ExpressTemplateProperties();
  static IAppSettingsNodePtr ExpressTemplateState();
  static std::string AggregatorValueList();
  static std::string AggregatorLabelList();
  static Variant TrafClntFieldTypesValueList();
  static Variant TrafClntFieldTypesLabelList();
  // Database column name to property name.
  static std::shared_ptr<KeyedCollection<std::string>> AppFieldMap(const std::string& sAppName);
  static void PopulateTypeCB(IComboBox& obj, const std::string& sAppNameA, bool fAddExternalTypes);
  static void PopulateTechTypeCB(IComboBox& obj);
  static void UpdateCategoryCB(IComboBox& obj, const std::string& sAppNameA);
  static std::string FieldKey(std::string_view sName, std::string_view sCategory);
  static bool StyleFieldsAvailable();

  // The field categories of template "Traffic".
  static std::shared_ptr<CFieldCategories> TrafficCategories();
  // nullptr when the template does not exist or no category's name (its entity under the
  // extended views, else its category name) equals sCategory.
  static std::shared_ptr<CFieldCategory> LookupCategoryByName(const std::string& sAppName,
                                                              const std::string& sCategory);
  // One field read by id (ordField taken as a 32-bit number); nullptr for id 0 or none.
  static std::shared_ptr<CField> GetFieldFromId(const std::string& sAppName, const Variant& ordField,
                                                bool fUsePackage = false);
  // Fields read by ids: sIds must be integers separated by commas (error 5 otherwise).
  static std::shared_ptr<CFields> GetFieldsByIds(const std::string& sAppName, const std::string& sIds,
                                                 bool fUsePackage = false);
  static bool UDR_KeyDataAvailable();
  static std::shared_ptr<CFieldUpdates> FieldUpdates();

  // Reads the field again and replaces its cached copy through its category, which announces it.
  static void UpdateExpressionField(const std::string& sAppName, const Variant& ordField);
  // The server's translation message of a calculation, waiting at most "UDC Timeout" seconds;
  // sStatus receives the status code.
  static std::string GetExpressionError(const Variant& ordField, std::string& sStatus);
  static std::string GetExpressionError(const Variant& ordField);
  // Gives the calculations and external fields of fldsA to the user named sNewOwner (error 5
  // when there is none, before anything changes); each category reloads and announces them.
  static void ChangeExpressionOwner(const std::shared_ptr<CFields>& fldsA, const std::string& sNewOwner);
  // Deletes the members of fldsA that nothing outside the deletable part uses, users before the
  // calculations they use; the others, and any whose delete failed, are added to fldsException
  // (made when null).
  static void DeleteExpressions(const std::shared_ptr<CFields>& fldsA,
                                std::shared_ptr<CFields>& fldsException);
  // The field style chooser on iFontStyle and iColor: on OK both take the chosen style and the
  // result is true; on Cancel both stay as they were.
  static bool OpenFieldStyleDialog(int32_t& iFontStyle, int32_t& iColor);
  static void UpdateStyleInformation(const std::shared_ptr<CField>& fld);
  static void DeleteStyleInformation(int32_t ord);
  static void UpdateExtraColumns(const std::shared_ptr<CField>& fld);
  static void DeleteExtraColumns(int32_t ord);
  // Adds to dbfds the reports and templates that use flds.
  static void LoadFieldReferencingDocuments(const std::shared_ptr<CFields>& flds, IFolderDocuments& dbfds);
  // Adds to bhs the stored busy hours defined on flds, with their hours (made when null).
  static void LoadFieldReferencingBusyHours(const std::shared_ptr<CFields>& flds,
                                            std::shared_ptr<CBusyHours>& bhs);
  // Selects the slots of bh's stored hour ranges.
  static void LoadHours(const std::shared_ptr<CBusyHour>& bh);

  // The document type tree. SelectFolderDocumentTypeTree sets dbfdt to the chosen type and
  // returns true, or leaves it and returns false; SelectSystemId gives the system chosen among
  // the report folder's types, or 0.
  static int32_t SelectSystemId();
  static std::shared_ptr<CAppDocTypeSlrTree> AppDocTypeSlrTree();
  static bool SelectFolderDocumentTypeTree(std::shared_ptr<IFolderDocumentType>& dbfdt,
                                           const std::shared_ptr<IFolderDocumentTypes>& dbfdts,
                                           const std::string& sTitle = "Select Document Type",
                                           const std::string& sLabel = "Type", bool fVersionOnly = false);

  // The RCV/EMS forms, loaded on first use of any of these three and kept.
  static std::shared_ptr<CRcvFilter> RcvFilter();
  static void PopulateRcvFormCB(IComboBox& obj);
  static void PopulateRcvFieldCB(const std::string& sKey, IComboBox& obj);
};

}  // namespace ridirodev
