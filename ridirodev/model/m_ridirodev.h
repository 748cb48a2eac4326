#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/host/host.h"
#include "ridirodev/host/host_services.h"

namespace ridirodev {

class IAppUser;
class CAppGroupTemplates;
class CFieldTechTypes;
class CAggregators;
class CFunctionCategories;
class CFunctions;
class COperators;
class CEnumValues;
class CDataFiles;
class CFilterDefinitions;
class CFieldClipboard;
class CTemplateFieldClipboard;
class CFieldUpdates;
class CAppDocTypeSlrTree;
class CRcvFilter;
class CAppGroupTemplate;
class CFieldCategory;
class CFieldCategories;
class CFieldType;
class CAggregator;
struct MBusyHour;

// Global flags set by the capability probe; False until it has run.
struct GlobalFlags {
  bool doComplex = false;
  bool doWeighted = false;
  bool styleFieldsAvailable = false;
  bool xmlGatewayAvailable = false;
  bool contextEntityLabelAvailable = false;
};

// Column-width limits; 0 means not yet measured.
struct ColumnLimits {
  int32_t expressionNameLength = 0;
  int32_t expressionLength = 0;
  int32_t exprColumnHeading1Length = 0;
  int32_t exprColumnHeading2Length = 0;
  int32_t expressionDescriptionLength = 0;
  int32_t criteriaLength = 0;
  int32_t busyHourNameLength = 0;
  int32_t busyHourDescriptionLength = 0;
  // The two extra-column widths are measured together, once: the marker, not the widths,
  // says whether they were measured.
  bool extraColumnLengthsMeasured = false;
  int32_t extraColumnNameLength = 0;
  int32_t extraColumnDataLength = 0;
};

// The component's global state: one per thread, made on first use with the thread's host.
// Host objects are created through the host on first use and kept; caches are filled by
// the members that need them and live as long as the state.
class MRidirodev {
 public:
  explicit MRidirodev(HostPtr host);
  MRidirodev(const MRidirodev&) = delete;
  MRidirodev& operator=(const MRidirodev&) = delete;
  ~MRidirodev();

  // The state of the calling thread, made on first use; error 91 when no host is installed.
  static MRidirodev& Current();
  // Installs the host for the calling thread; the thread's state is dropped so that the
  // next use starts afresh with this host.
  static void InstallHost(HostPtr host);
  static HostPtr InstalledHost();

  Host& HostObject() const { return services_.HostObject(); }
  // The host objects and users, for the layers below the model.
  HostServices& Services() noexcept { return services_; }

  // The host's user of an id (nullptr for unknown); see HostServices::UserById.
  std::shared_ptr<IAppUser> UserById(int32_t id) { return services_.UserById(id); }
  // Opens the owner batch of the host services and the field look-ups below.
  void BeginOwnerBatch();
  void EndOwnerBatch() noexcept;

  // The field initialiser's last look-ups, shared by the rows of the batch: they come by
  // entity, of one template, with a handful of field types and aggregators. Kept only while a
  // batch is open, so that nothing outlives the load.
  template <class Question, class Value>
  struct LastAnswer {
    using QuestionType = Question;
    bool known = false;
    Question question{};
    Value value{};
  };
  struct FieldLookups {
    LastAnswer<std::string, std::shared_ptr<CAppGroupTemplate>> tpl;
    // By template, entity and entity views: the category and its name.
    LastAnswer<std::tuple<const CAppGroupTemplate*, int32_t, bool>,
               std::pair<std::shared_ptr<CFieldCategory>, std::string>>
        category;
    LastAnswer<std::pair<const CAppGroupTemplate*, std::string>, std::shared_ptr<CFieldType>> type;
    LastAnswer<std::string, std::shared_ptr<CAggregator>> aggregator;
    // The references the batch's fields share, by what their rows name (made by CField).
    struct SharedRefs;
    std::shared_ptr<SharedRefs> shared;
  };
  // nullptr outside a batch.
  FieldLookups* BatchFieldLookups() noexcept;

  IDBObject& Database() { return services_.Database(); }
  IAppSupport& Support() { return services_.Support(); }
  IAppGroupServices& GroupServices() { return services_.GroupServices(); }
  IAppFeatures& Features() { return services_.Features(); }
  IXMLQueryService& XmlQueryService() { return services_.XmlQueryService(); }
  IFolderServices& FolderServices() { return services_.FolderServices(); }
  IAppMessages& Messages() { return services_.Messages(); }
  IFontServices& FontServices() { return services_.FontServices(); }
  IImageServices& ImageServices() { return services_.ImageServices(); }

  GlobalFlags flags;
  ColumnLimits limits;

  // Sets the flags from what the database offers; runs before each load of the templates.
  // A failing step ends the probe quietly and leaves the flags not yet set as they were.
  void RunCapabilityProbe();

  // Column-width limits: the cached width, measured through the database object while it is 0.
  int32_t ExpressionNameLength();
  int32_t ExpressionLength();  // the smaller of the two source columns
  int32_t ExprColumnHeading1Length();
  int32_t ExprColumnHeading2Length();
  int32_t ExpressionDescriptionLength();
  int32_t CriteriaLength();
  int32_t BusyHourNameLength();
  int32_t BusyHourDescriptionLength();
  // "A" columns live in the dictionary-name table, the others in the field data table.
  int32_t ExtraColumnLength(std::string_view colType);

  // Cached dictionary data, loaded on first request and kept.
  std::shared_ptr<CAppGroupTemplates> AppGroupTemplates();
  // A template by name (nullptr when there is none), loading the templates first.
  std::shared_ptr<CAppGroupTemplate> AppGroupTemplate(const std::string& sAppName);
  // The categories of the Traffic template (nullptr without it).
  std::shared_ptr<CFieldCategories> TrafficCategories();
  std::shared_ptr<CFieldTechTypes> ValidTechTypes();
  std::shared_ptr<CAggregators> ValidAggregators();
  std::shared_ptr<KeyedCollection<std::string>> BasicAggregators();
  std::shared_ptr<CFunctionCategories> FunctionCategories();
  std::shared_ptr<CFunctions> Functions();
  std::shared_ptr<COperators> Operators();
  // The enumerated values of a field (nullptr when it has none); the cache is filled with
  // every field's values whenever it is found empty.
  std::shared_ptr<CEnumValues> EnumValues(int32_t fieldId);
  // Whether fields carry separate time and element aggregators (asked at each call).
  bool FlexibleAggregationEnabled();
  // The field columns of no template, made on first use (see list_columns.h).
  IAppPropertySetPtr DefaultFieldProperties();
  // The data files of an entity: under the extended views those of the entity last asked for,
  // else every data file, loaded once. A failed load keeps what was held.
  std::shared_ptr<CDataFiles> DataFiles(int32_t entityId);
  // Made on first use and kept.
  std::shared_ptr<CFilterDefinitions> FilterDefinitions();
  std::shared_ptr<CFieldClipboard> FieldClipboard(bool fDragging);
  std::shared_ptr<CTemplateFieldClipboard> TemplateFieldClipboard();
  // The RCV forms, loaded on first use; a failed load is logged and leaves none.
  std::shared_ptr<CRcvFilter> RcvFilter();
  // The single change notifier.
  std::shared_ptr<CFieldUpdates> FieldUpdates();
  // The busy-hour caches.
  MBusyHour& BusyHour();

  // Cached collections and singletons (empty until first requested).
  std::shared_ptr<CAppGroupTemplates> appGroupTemplates;
  std::shared_ptr<CFieldTechTypes> validTechTypes;
  std::shared_ptr<CAggregators> validAggregators;
  std::shared_ptr<KeyedCollection<std::string>> basicAggregators;
  std::string aggregatorValueList;
  std::string aggregatorLabelList;
  std::shared_ptr<CFunctionCategories> functionCategories;
  std::shared_ptr<CFunctions> functions;
  std::shared_ptr<COperators> operators;
  std::shared_ptr<KeyedCollection<std::shared_ptr<CEnumValues>>> enumValues;
  std::shared_ptr<CDataFiles> dataFiles;
  std::shared_ptr<CFilterDefinitions> filterDefinitions;
  std::shared_ptr<CFieldClipboard> dragFieldClipboard;
  std::shared_ptr<CFieldClipboard> copyFieldClipboard;
  std::shared_ptr<CTemplateFieldClipboard> templateFieldClipboard;
  std::shared_ptr<CFieldUpdates> fieldUpdates;
  IAppPropertySetPtr defaultFieldProperties;
  IAppPropertySetPtr eqvToolProperties;
  IAppPropertySetPtr expressTemplateProperties;
  IAppSettingsNodePtr expressTemplateState;
  std::shared_ptr<KeyedCollection<IAppPropertySetPtr>> fieldProperties;
  std::shared_ptr<KeyedCollection<IAppPropertySetPtr>> expressionProperties;
  std::string trafClntFieldTypesValueList;
  std::string trafClntFieldTypesLabelList;
  std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<std::string>>>> appFieldMaps;
  std::shared_ptr<CAppDocTypeSlrTree> appDocTypeSlrTree;
  std::shared_ptr<CRcvFilter> rcvFilter;
  std::optional<bool> udrKeyDataAvailable;  // asked once

 private:
  HostServices services_;
  std::unique_ptr<MBusyHour> busyHour_;
  std::unique_ptr<FieldLookups> fieldLookups_;  // while a batch is open
  int32_t ownerBatches_ = 0;
};

// Installs a fresh state with the given host for the calling thread and restores the
// previous host and state when it goes out of scope: every test starts from empty state.
class MRidirodevScope {
 public:
  explicit MRidirodevScope(HostPtr host);
  MRidirodevScope(const MRidirodevScope&) = delete;
  MRidirodevScope& operator=(const MRidirodevScope&) = delete;
  ~MRidirodevScope();

  MRidirodev& State() const;

 private:
  HostPtr previousHost_;
  std::unique_ptr<MRidirodev> previousState_;
};

}  // namespace ridirodev
