#include "standalone/sample.h"

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <variant>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/calculation_translator.h"
#include "standalone/routines.h"
#include "standalone/schema.h"

namespace ridirodev::standalone {
namespace {

constexpr std::string_view kSource = "SampleDictionary";

// A failure of the engine, reported as the sample's with the statement that failed.
template <class F>
void AsSample(std::string_view sql, F&& step) {
  try {
    step();
  } catch (const AutomationError& e) {
    throw AutomationError(engine::kDatabaseError, std::string(kSource),
                          e.Description() + ": " + std::string(sql));
  }
}

// nullptr binds a null.
using Value = std::variant<std::nullptr_t, int64_t, std::string_view>;

Value OrNull(std::string_view text) { return text.empty() ? Value(nullptr) : Value(text); }
Value OrNull(int64_t id) { return id == 0 ? Value(nullptr) : Value(id); }

// One prepared insert, run many times.
class Insert {
 public:
  Insert(engine::EngineDatabase& db, const char* sql) : sql_(sql) {
    AsSample(sql_, [&] { stmt_ = db.Prepare(sql_); });
  }

  void Run(std::initializer_list<Value> values) {
    int index = 1;
    for (const Value& v : values) {
      if (const auto* n = std::get_if<int64_t>(&v)) {
        stmt_->BindInt(index, *n);
      } else if (const auto* s = std::get_if<std::string_view>(&v)) {
        stmt_->BindText(index, *s);
      } else {
        stmt_->BindNull(index);
      }
      ++index;
    }
    AsSample(sql_, [&] {
      while (stmt_->Step()) {
      }
    });
    stmt_->Reset();
  }

 private:
  std::string_view sql_;
  std::unique_ptr<engine::HostStatement> stmt_;
};

// Rows of one table, added in bulk.
class BulkRows {
 public:
  BulkRows(engine::EngineDatabase& db, std::string_view table, const std::vector<std::string_view>& columns)
      : table_(table) {
    AsSample(table_, [&] { rows_ = db.InsertInBulk(table, columns); });
  }

  void Add(std::initializer_list<Value> values) {
    for (const Value& v : values) {
      if (const auto* n = std::get_if<int64_t>(&v)) {
        rows_->Int(*n);
      } else if (const auto* s = std::get_if<std::string_view>(&v)) {
        rows_->Text(*s);
      } else {
        rows_->Null();
      }
    }
    AsSample(table_, [&] { rows_->EndRow(); });
  }

  void Flush() {
    AsSample(table_, [&] { rows_->Flush(); });
  }

 private:
  std::string_view table_;
  std::unique_ptr<engine::BulkInsert> rows_;
};

void Exec(engine::EngineDatabase& db, const char* sql) {
  AsSample(sql, [&] { db.RunScript(sql); });
}

// ---- Fixed vocabulary -------------------------------------------------------------------

enum Tech : int64_t { kGsm = 1, kCdma = 2, kUmts = 4, kEvdo = 8, kLte = 16 };
constexpr int64_t kVoice = kGsm | kCdma | kUmts;
constexpr int64_t kAllTech = kVoice | kEvdo | kLte;

enum User : int64_t { kAdmin = 1, kRfEngineering = 2, kNoc = 3, kPlanner = 4 };

enum DataSource : int64_t {
  kClient = 1,
  kTraffic = 2,
  kUdr = 3,
  kCpFailCount = 4,
  kCpFailMessage = 5,
  kCpFailHandoff = 6,
  kEvdoPcmdMessage = 7,
  kDoCpFailCount = 8,
  kDoCpFailMessage = 9,
  kPcmdCount = 10,
  kPcmdMessage = 11,
};

constexpr int64_t kSwitch = kSampleSwitchEntity, kCell = kSampleCellEntity,
                  kSector = kSampleSectorEntity, kCarrier = kSampleCarrierEntity, kCarrierFace = 15,
                  kPagingArea = kSamplePagingAreaEntity, kBenchCell = kSampleBenchEntity, kAvailability = 20;

constexpr int64_t kVendorNameColumn = 11;  // extra column of kind 'A': namespace 11
constexpr int64_t kRcvFormColumn = 21;     // extra column 'RCVFormName': data set 21

constexpr std::string_view kImported = "2025-11-03 06:00:00";  // when the counters were loaded

// A counter as the collection system delivers it.
struct Counter {
  const char* name;
  const char* heading1;
  const char* heading2;
  const char* description;
  const char* dataType;
  const char* group;
  const char* aggregator;
  int64_t tech;
  const char* vendorName = "";  // kind 'A' extra column value, where the vendor's name differs
};

// Kept by every entity from the switch down.
const std::vector<Counter> kCoreCounters = {
    {"Call_Attempts", "Call", "Attempts", "Originating and terminating call attempts", "I", "Peg", "SUM", kVoice},
    {"Blocked_Calls", "Blocked", "Calls", "Call attempts blocked for lack of a traffic channel", "I", "Peg", "SUM",
     kVoice, "TCH_BLK"},
    {"Dropped_Calls", "Dropped", "Calls", "Established calls released abnormally", "I", "Peg", "SUM", kVoice,
     "CALL_DRP"},
    {"Handoff_Attempts", "Handoff", "Attempts", "Outgoing handoff attempts", "I", "Peg", "SUM", kVoice, "HO_ATT"},
    {"Handoff_Failures", "Handoff", "Failures", "Outgoing handoff attempts that failed", "I", "Peg", "SUM", kVoice,
     "HO_FAIL"},
    {"Minutes_Of_Use", "MOU", "Minutes", "Conversation minutes of use", "F", "Duration", "SUM", kVoice},
    {"Peak_Busy_Channels", "Peak Busy", "Channels", "Highest number of busy traffic channels in the interval", "I",
     "Gauge", "MAX", kVoice, "TCH_PEAK"},
    {"Avg_Busy_Channels", "Avg Busy", "Channels", "Average number of busy traffic channels", "F", "Gauge", "AVG",
     kVoice},
    {"Min_Idle_Channels", "Min Idle", "Channels", "Lowest number of idle traffic channels in the interval", "I",
     "Gauge", "MIN", kVoice},
};

const std::vector<Counter> kSwitchCounters = {
    {"Paging_Attempts", "Paging", "Attempts", "Pages sent to mobiles", "I", "Peg", "SUM", kAllTech, "PAGE_ATT"},
    {"Paging_Failures", "Paging", "Failures", "Pages that got no response", "I", "Peg", "SUM", kAllTech},
    {"Registrations", "Location", "Updates", "Mobile registrations and location updates", "I", "Peg", "SUM",
     kAllTech},
    {"Processor_Occupancy", "CPU", "Occupancy %", "Call processor occupancy in percent", "F", "Gauge", "AVG",
     kAllTech},
    {"Trunk_Utilization_Ext", "Trunk", "Util %", "Trunk group utilization from the transport monitoring system",
     "F", "EXT", "AVG", 0},
};

const std::vector<Counter> kGsmCounters = {
    {"GSM_TCH_Attempts", "TCH", "Attempts", "GSM traffic channel seizure attempts", "I", "Peg", "SUM", kGsm},
    {"GSM_TCH_Drops", "TCH", "Drops", "GSM traffic channels dropped", "I", "Peg", "SUM", kGsm},
    {"GSM_SDCCH_Attempts", "SDCCH", "Attempts", "GSM signalling channel seizure attempts", "I", "Peg", "SUM", kGsm},
    {"GSM_SDCCH_Drops", "SDCCH", "Drops", "GSM signalling channels dropped", "I", "Peg", "SUM", kGsm},
    {"GSM_TCH_Congestion_Secs", "TCH Cong", "Seconds", "Seconds with all GSM traffic channels busy", "F",
     "Duration", "SUM", kGsm},
    {"GSM_HO_Out_Attempts", "GSM HO", "Attempts", "GSM outgoing handover attempts", "I", "Peg", "SUM", kGsm},
};

const std::vector<Counter> kCdmaCounters = {
    {"CDMA_Orig_Attempts", "Orig", "Attempts", "CDMA mobile-originated call attempts", "I", "Peg", "SUM", kCdma,
     "ORIG_ATT"},
    {"CDMA_Term_Attempts", "Term", "Attempts", "CDMA mobile-terminated call attempts", "I", "Peg", "SUM", kCdma},
    {"CDMA_Access_Failures", "Access", "Failures", "CDMA access probes that failed", "I", "Peg", "SUM", kCdma},
    {"CDMA_Soft_HO_Attempts", "Soft HO", "Attempts", "CDMA soft handoff attempts", "I", "Peg", "SUM", kCdma},
    {"CDMA_Soft_HO_Failures", "Soft HO", "Failures", "CDMA soft handoff failures", "I", "Peg", "SUM", kCdma},
    {"CDMA_Walsh_Code_Blocks", "Walsh", "Blocks", "Calls blocked for lack of a Walsh code", "I", "Peg", "SUM", kCdma},
};

const std::vector<Counter> kUmtsCounters = {
    {"UMTS_RRC_Attempts", "RRC", "Attempts", "UMTS RRC connection attempts", "I", "Peg", "SUM", kUmts},
    {"UMTS_RRC_Failures", "RRC", "Failures", "UMTS RRC connection failures", "I", "Peg", "SUM", kUmts},
    {"UMTS_RAB_Attempts", "RAB", "Attempts", "UMTS radio access bearer setup attempts", "I", "Peg", "SUM", kUmts},
    {"UMTS_RAB_Drops", "RAB", "Drops", "UMTS radio access bearers dropped", "I", "Peg", "SUM", kUmts},
    {"UMTS_SHO_Attempts", "SHO", "Attempts", "UMTS soft handover attempts", "I", "Peg", "SUM", kUmts},
    {"UMTS_IRAT_HO_Failures", "IRAT HO", "Failures", "UMTS inter-RAT handover failures", "I", "Peg", "SUM", kUmts},
};

const std::vector<Counter> kEvdoCounters = {
    {"DO_Session_Attempts", "DO Sess", "Attempts", "EV-DO session setup attempts", "I", "Peg", "SUM", kEvdo},
    {"DO_Conn_Failures", "DO Conn", "Failures", "EV-DO connection setup failures", "I", "Peg", "SUM", kEvdo},
    {"DO_Conn_Drops", "DO Conn", "Drops", "EV-DO connections dropped", "I", "Peg", "SUM", kEvdo},
    {"DO_RLP_Fwd_Bytes", "RLP Fwd", "Bytes", "EV-DO forward link RLP payload bytes", "F", "Peg", "SUM", kEvdo},
    {"DO_RLP_Rev_Bytes", "RLP Rev", "Bytes", "EV-DO reverse link RLP payload bytes", "F", "Peg", "SUM", kEvdo},
    {"DO_Active_Users_Peak", "DO Users", "Peak", "Highest number of active EV-DO users", "I", "Gauge", "MAXSUM",
     kEvdo},
};

const std::vector<Counter> kLteCounters = {
    {"LTE_RRC_Conn_Attempts", "RRC Conn", "Attempts", "LTE RRC connection establishment attempts", "I", "Peg", "SUM",
     kLte},
    {"LTE_RRC_Conn_Failures", "RRC Conn", "Failures", "LTE RRC connection establishment failures", "I", "Peg", "SUM",
     kLte},
    {"LTE_ERAB_Setup_Attempts", "E-RAB", "Attempts", "LTE E-RAB setup attempts", "I", "Peg", "SUM", kLte},
    {"LTE_ERAB_Setup_Failures", "E-RAB", "Failures", "LTE E-RAB setup failures", "I", "Peg", "SUM", kLte},
    {"LTE_ERAB_Drops", "E-RAB", "Drops", "LTE E-RABs released abnormally", "I", "Peg", "SUM", kLte},
    {"LTE_PDCP_DL_Volume_MB", "PDCP DL", "MB", "LTE downlink PDCP volume in megabytes", "F", "Peg", "SUM", kLte},
    {"LTE_X2_HO_Attempts", "X2 HO", "Attempts", "LTE X2 handover attempts", "I", "Peg", "SUM", kLte},
    {"LTE_X2_HO_Failures", "X2 HO", "Failures", "LTE X2 handover failures", "I", "Peg", "SUM", kLte},
};

const std::vector<Counter> kClientCounters = {
    {"Roaming_Attempts", "Roamer", "Attempts", "Call attempts by visiting subscribers", "I", "Peg", "SUM", kVoice},
    {"SMS_Delivered", "SMS", "Delivered", "Short messages delivered", "I", "Peg", "SUM", kAllTech},
    {"SMS_Failed", "SMS", "Failed", "Short messages that could not be delivered", "I", "Peg", "SUM", kAllTech},
    {"Subscriber_Attaches", "Attach", "Count", "Subscriber attach procedures", "I", "Peg", "SUM", kAllTech},
    {"Voicemail_Deposits", "Voicemail", "Deposits", "Messages left in voice mail", "I", "Peg", "SUM", kVoice},
    {"Data_Session_Minutes", "Data", "Minutes", "Packet data session minutes", "F", "Duration", "SUM",
     kEvdo | kLte | kUmts},
};

// A calculation of the sample.
struct Calc {
  int64_t dataSource;
  int64_t entity;
  const char* name;
  const char* source;
  const char* heading1;
  const char* heading2;
  const char* description;
  const char* aggregator;
  int64_t tech;
  int64_t owner;
  const char* changed;
};

// Calculations that use other calculations come after them only for readability: the
// dependency rows are built once all are in.
const std::vector<Calc> kCalcs = {
    {kTraffic, kCell, "Drop_Rate", "100 * Dropped_Calls / NULLIF(Call_Attempts - Blocked_Calls, 0)", "Drop",
     "Rate %", "Dropped calls per hundred answered attempts", "AVG", kVoice, kRfEngineering, "2026-01-12 10:20:00"},
    {kTraffic, kCell, "Block_Rate", "100 * Blocked_Calls / NULLIF(Call_Attempts, 0)", "Block", "Rate %",
     "Blocked calls per hundred attempts", "AVG", kVoice, kRfEngineering, "2026-01-12 10:25:00"},
    {kTraffic, kCell, "Call_Success_Rate", "100 - Drop_Rate - Block_Rate", "Call", "Success %",
     "Attempts neither blocked nor dropped, in percent", "AVG", kVoice, kRfEngineering, "2026-01-12 10:40:00"},
    {kTraffic, kCell, "Traffic_Erlangs", "Minutes_Of_Use / 60", "Traffic", "Erlangs",
     "Carried traffic in Erlangs (minutes of use over the hour)", "SUM", kVoice, kPlanner, "2026-01-20 14:00:00"},
    {kTraffic, kCell, "BH_Traffic_Erlangs", "ROUND(Traffic_Erlangs, 2)", "BH Traffic", "Erlangs",
     "Busy-hour carried traffic in Erlangs, rounded", "MAX", kVoice, kPlanner, "2026-01-20 14:05:00"},
    {kTraffic, kCell, "HO_Failure_Rate", "100 * Handoff_Failures / NULLIF(Handoff_Attempts, 0)", "HO Fail", "Rate %",
     "Failed handoffs per hundred attempts", "AVG", kVoice, kRfEngineering, "2026-01-13 09:00:00"},
    {kTraffic, kCell, "Channel_Utilization",
     "100 * Avg_Busy_Channels / NULLIF(Avg_Busy_Channels + Min_Idle_Channels, 0)", "Channel", "Util %",
     "Share of traffic channels in use", "AVG", kVoice, kPlanner, "2026-01-21 11:30:00"},
    {kTraffic, kCell, "Roamer_Share", "100 * Roaming_Attempts / NULLIF(Call_Attempts, 0)", "Roamer", "Share %",
     "Share of call attempts made by visiting subscribers", "AVG", kVoice, kNoc, "2026-02-03 16:45:00"},
    {kTraffic, kCell, "LTE_ERAB_Drop_Rate",
     "100 * LTE_ERAB_Drops / NULLIF(LTE_ERAB_Setup_Attempts - LTE_ERAB_Setup_Failures, 0)", "E-RAB", "Drop %",
     "Dropped E-RABs per hundred established", "AVG", kLte, kRfEngineering, "2026-02-10 08:15:00"},
    {kTraffic, kCell, "DO_Drop_Rate", "100 * DO_Conn_Drops / NULLIF(DO_Session_Attempts - DO_Conn_Failures, 0)",
     "DO", "Drop %", "Dropped EV-DO connections per hundred established", "AVG", kEvdo, kRfEngineering,
     "2026-02-10 08:20:00"},
    {kTraffic, kCell, "Site_Heat_Alarm", "CASE WHEN Site_Temperature_Ext > 45 THEN 1 ELSE 0 END", "Heat", "Alarm",
     "1 when the shelter is hotter than 45 degrees", "MAX", 0, kNoc, "2026-02-14 07:00:00"},
    // Refers to a counter that was retired: stays untranslated until someone fixes it.
    {kTraffic, kCell, "Legacy_Retry_Rate", "100 * Retry_Attempts / NULLIF(Call_Attempts, 0)", "Retry", "Rate %",
     "Call retries per hundred attempts (old switch load)", "AVG", kCdma, kNoc, "2025-12-01 13:00:00"},
    {kTraffic, kSector, "Drop_Rate", "100 * Dropped_Calls / NULLIF(Call_Attempts - Blocked_Calls, 0)", "Drop",
     "Rate %", "Dropped calls per hundred answered attempts", "AVG", kVoice, kRfEngineering, "2026-01-12 10:30:00"},
    {kTraffic, kSector, "Traffic_Erlangs", "Minutes_Of_Use / 60", "Traffic", "Erlangs",
     "Carried traffic in Erlangs (minutes of use over the hour)", "SUM", kVoice, kPlanner, "2026-01-20 14:10:00"},
    {kTraffic, kSector, "Sector_MOU_Share", "100 * Minutes_Of_Use / NULLIF(CellSite.Minutes_Of_Use, 0)", "MOU",
     "Share %", "Share of the cell's minutes of use carried by the sector", "AVG", kVoice, kPlanner,
     "2026-01-22 09:10:00"},
    {kTraffic, kSector, "Sector_Erlang_Share", "100 * Traffic_Erlangs / NULLIF(CellSite.Traffic_Erlangs, 0)",
     "Erlang", "Share %", "Share of the cell's Erlangs carried by the sector", "AVG", kVoice, kPlanner,
     "2026-01-22 09:20:00"},
    {kTraffic, kSwitch, "Paging_Success_Rate", "100 * (Paging_Attempts - Paging_Failures) / NULLIF(Paging_Attempts, 0)",
     "Paging", "Success %", "Pages answered per hundred sent", "AVG", kAllTech, kNoc, "2026-01-15 12:00:00"},
    {kTraffic, kSwitch, "Switch_Erlangs", "Minutes_Of_Use / 60", "Switch", "Erlangs", "Carried traffic of the switch",
     "SUM", kVoice, kPlanner, "2026-01-20 14:20:00"},
    {kTraffic, kSwitch, "Switch_Drop_Rate", "100 * Dropped_Calls / NULLIF(Call_Attempts - Blocked_Calls, 0)", "Drop",
     "Rate %", "Dropped calls per hundred answered attempts", "AVG", kVoice, kNoc, "2026-01-15 12:05:00"},
    {kTraffic, kCarrier, "Carrier_Drop_Rate", "100 * Dropped_Calls / NULLIF(Call_Attempts, 0)", "Drop", "Rate %",
     "Dropped calls per hundred attempts on the carrier", "AVG", kCdma, kRfEngineering, "2026-01-16 15:30:00"},
    {kClient, kCell, "SMS_Failure_Rate", "100 * SMS_Failed / NULLIF(SMS_Delivered + SMS_Failed, 0)", "SMS",
     "Fail %", "Undelivered short messages per hundred", "AVG", kAllTech, kNoc, "2026-02-01 10:00:00"},
    {kUdr, kCell, "Avg_Call_Duration", "Call_Duration_Secs / NULLIF(Call_Count, 0)", "Avg Call", "Seconds",
     "Average call holding time from call records", "AVG", kAllTech, kPlanner, "2026-02-05 09:30:00"},
    {kCpFailCount, kCell, "CP_Fail_Rate", "100 * CP_Fail_Count / NULLIF(CP_Setup_Count, 0)", "CP Fail", "Rate %",
     "Call processing failures per hundred setups", "AVG", kCdma, kNoc, "2026-02-06 11:00:00"},
    {kPcmdCount, kSector, "PCMD_Drop_Pct", "100 * PCMD_Drop_Count / NULLIF(PCMD_Record_Count, 0)", "PCMD",
     "Drop %", "Dropped calls in per-call measurement data, in percent", "AVG", kCdma | kEvdo, kRfEngineering,
     "2026-02-07 13:30:00"},
};

// Input file types; the availability field of each is named by AvailabilityFieldName.
struct DataFile {
  int64_t id;
  const char* type;
  const char* frequency;
  int64_t frequencyId;
  const char* description;
  const char* vendor;
  int64_t offsetMinutes;
  const char* first;  // the span of data that arrived; none for a file not yet collected
  const char* last;
};

const std::vector<DataFile> kDataFiles = {
    {1, "CDMA_PEG_HOURLY", "Hourly", 1, "Hourly CDMA cell and sector peg counts", "Vendor A", 0,
     "2025-12-01 00:00:00", "2026-03-15 23:00:00"},
    {2, "EVDO_PEG_HOURLY", "Hourly", 1, "Hourly EV-DO sector peg counts", "Vendor A", 0,
     "2026-01-10 00:00:00", "2026-03-15 23:00:00"},
    {3, "UMTS_RNC_HOURLY", "Hourly", 1, "Hourly UMTS RNC counters", "Vendor B", 5, "2025-12-01 00:00:00",
     "2026-02-20 23:00:00"},
    {4, "GSM_BSC_HOURLY", "Hourly", 1, "Hourly GSM BSC counters", "Vendor B", 5, "2026-02-01 00:00:00",
     "2026-03-15 23:00:00"},
    {5, "LTE_ENB_15MIN", "15 Minutes", 5, "Quarter-hour LTE eNodeB counters", "Vendor C", 0,
     "2025-12-15 00:00:00", "2026-03-14 12:00:00"},
    {6, "UDR_CALL_RECORDS", "Daily", 2, "Daily call detail records", "Vendor A", 60, nullptr, nullptr},
};

// ---- The loader -------------------------------------------------------------------------

class SampleLoader {
 public:
  explicit SampleLoader(engine::EngineDatabase& db)
      : db_(db),
        field_(BulkRows(db, "tqd_Dict_Field",
                        {"Field_Id", "DataSource_ID", "DataType", "Field_Type", "Field_Owner",
                         "Field_Aggregator", "Field_Emits_Aggregator", "Length", "Precision", "Is_Null_OK",
                         "Field_Group_Short", "Tech_Mask", "Changed", "Status"})),
        name_(BulkRows(db, "tqd_Dict_Name",
                       {"Field_Id", "NameSpace_Id", "Entity_Id", "Name", "Report_Header", "Report_Header2",
                        "Field_Desc", "DataSource_ID"})),
        def_(BulkRows(db, "TQD_UDC_DEF", {"Field_Id", "UDC_SOURCE", "CALC_SOURCE"})),
        data_(BulkRows(db, "tqd_Field_Data", {"Entity_Id", "Field_Id", "DataSet_ID", "DataValue"})),
        style_(BulkRows(db, "tqd_field_style", {"Field_Id", "FontStyleMask", "FontColor"})),
        depend_(BulkRows(db, "tqd_dict_field_depend", {"parent_field_id", "child_field_id"})) {}

  void LoadAll(const SampleOptions& options) {
    progress_ = options.progress;
    const int32_t benchSize = options.size;
    LoadVocabulary();
    LoadEntities(benchSize > 0);
    LoadFields();
    FlushFields();
    if (benchSize > 0) LoadBench(benchSize);
    db_.RefreshStatistics();  // the translation looks names up among the rows just added
    TranslateCalculations();
    LoadBusyHours();
    LoadDocuments();
    LoadDataFiles();
    // The sequences go on from the highest id loaded.
    const std::pair<std::string_view, const char*> sequences[] = {
        {kFieldSequence, "SELECT COALESCE(MAX(Field_Id), 0) FROM tqd_Dict_Field"},
        {kBusyHourSequence, "SELECT COALESCE(MAX(Id), 0) FROM PM_BusyHour"},
        {kHourRangeSequence, "SELECT COALESCE(MAX(Id), 0) FROM PM_HourRange"}};
    for (const auto& [sequence, highest] : sequences) {
      AsSample(highest, [&] {
        auto stmt = db_.Prepare(highest);
        stmt->Step();
        db_.SetSequence(sequence, stmt->Int(0));
      });
    }
  }

 private:
  struct FieldRow {
    int64_t dataSource;
    int64_t entity;
    std::string_view name;
    std::string_view heading1;
    std::string_view heading2;
    std::string_view description;
    std::string_view dataType;
    std::string_view group;
    std::string_view aggregator;
    int64_t tech;
    int64_t owner = kAdmin;
    std::string_view changed = kImported;
    std::string_view status = "";
    std::string_view source = "";  // calculations only
    // For a calculation translated before it was stored; otherwise it is translated later.
    const CalculationTranslator::Decided* translated = nullptr;
  };

  static std::pair<int64_t, int64_t> LengthAndPrecision(std::string_view dataType) {
    if (dataType == "I") return {10, 0};
    if (dataType == "F") return {12, 2};
    if (dataType == "D") return {19, 0};
    if (dataType == "E") return {4, 0};
    return {30, 0};
  }

  static std::string_view FieldType(std::string_view group) {
    if (group == "UDC") return "CALC";
    if (group == "Key") return "KEY";
    if (group == "EXT") return "EXT";
    if (group == "Avail") return "AVAIL";
    if (group == "Message") return "MSG";
    return "PEG";
  }

  // The field rows reach their tables, in the order of the tables' dependencies.
  void FlushFields() {
    for (BulkRows* rows : {&field_, &name_, &def_, &data_, &style_, &depend_}) rows->Flush();
  }

  // A calculation is translated later unless its translation is given.
  int64_t AddField(const FieldRow& f) {
    const int64_t id = nextId_++;
    const auto [length, precision] = LengthAndPrecision(f.dataType);
    const bool calc = f.group == "UDC";
    const Value aggregator = OrNull(f.aggregator);
    field_.Add({id, f.dataSource, f.dataType, FieldType(f.group), OrNull(f.owner), aggregator, aggregator,
                length, precision, f.group == "Key" ? "N" : "Y", f.group, f.tech, f.changed,
                !calc          ? OrNull(f.status)
                : f.translated ? Value(f.translated->status)
                               : Value("U")});
    AddName(id, 0, f.entity, f.name, f.heading1, f.heading2, f.description, f.dataSource);
    if (!calc) return id;
    if (!f.translated) {
      def_.Add({id, f.source, nullptr});
      calcs_.push_back(id);
      return id;
    }
    const auto& calcSource = f.translated->calcSource;
    def_.Add({id, f.source, calcSource ? Value(*calcSource) : Value(nullptr)});
    for (int32_t child : f.translated->uses) depend_.Add({id, int64_t{child}});
    return id;
  }

  // The field's own row (namespace 0) repeats its data source, as the tables' triggers would
  // set it anyway: given right, they have nothing to change.
  void AddName(int64_t id, int64_t nameSpace, int64_t entity, std::string_view name, std::string_view heading1 = {},
               std::string_view heading2 = {}, std::string_view description = {}, int64_t dataSource = 0) {
    name_.Add({id, nameSpace, entity, name, OrNull(heading1), OrNull(heading2), OrNull(description),
               OrNull(dataSource)});
  }

  // Ids of the named fields of the ordinary sample, for busy hours, reports and keys.
  int64_t Id(int64_t dataSource, int64_t entity, const std::string& name) const {
    const auto found = ids_.find({dataSource, entity, name});
    if (found == ids_.end()) {
      throw AutomationError(engine::kDatabaseError, std::string(kSource), "The sample has no field " + name);
    }
    return found->second;
  }

  int64_t AddCounter(int64_t dataSource, int64_t entity, const Counter& c) {
    const int64_t id = AddField({dataSource, entity, c.name, c.heading1, c.heading2, c.description, c.dataType,
                                 c.group, c.aggregator, c.tech});
    ids_[{dataSource, entity, c.name}] = id;
    if (*c.vendorName && (entity == kCell || entity == kSector)) {
      AddName(id, kVendorNameColumn, entity, c.vendorName);
    }
    return id;
  }

  void AddCounters(int64_t dataSource, int64_t entity, const std::vector<Counter>& counters) {
    for (const Counter& c : counters) AddCounter(dataSource, entity, c);
  }

  void LoadVocabulary() {
    Exec(db_, R"sql(
INSERT INTO PM_User (Id, Name, Full_Name) VALUES
  (1, 'admin', 'Dictionary Administrator'),
  (2, 'rfeng', 'RF Engineering'),
  (3, 'noc', 'Network Operations Center'),
  (4, 'planner', 'Capacity Planning');

INSERT INTO tqn_context (Context_Id, Context_Name) VALUES
  (2, 'Traffic'), (3, 'UDR'), (4, 'CPFail'), (5, 'EVDO PCMD'), (6, 'DOCPFail'), (7, 'PCMD'),
  (9, 'Data Availability');

INSERT INTO TQD_Data_Source (DataSource_Id, DataSource_Name, DataSource_APP_CTX, DataSource_Desc) VALUES
  (1, 'Client', 2, 'Subscriber and service counters reported per network element'),
  (2, 'Traffic', 2, 'Switch and radio traffic counters'),
  (3, 'UDR', 3, 'Usage data records, one per call'),
  (4, 'CPFail Count', 4, 'Counts of call processing failures'),
  (5, 'CPFail Message', 4, 'Call processing failure messages'),
  (6, 'CPFail Handoff', 4, 'Call processing failures during handoff'),
  (7, 'EVDO PCMD Message', 5, 'EV-DO per-call measurement messages'),
  (8, 'DOCPFail Count', 6, 'Counts of EV-DO connection failures'),
  (9, 'DOCPFail Message', 6, 'EV-DO connection failure messages'),
  (10, 'PCMD Count', 7, 'Per-call measurement data counts'),
  (11, 'PCMD Message', 7, 'Per-call measurement data messages');

INSERT INTO TQD_Technology_Mask (Tech_Name, Tech_Char, Tech_Mask, Tech_Desc) VALUES
  ('GSM', 'G', 1, 'GSM voice and GPRS'),
  ('CDMA', 'C', 2, 'CDMA 1X voice and data'),
  ('UMTS', 'U', 4, 'UMTS voice and HSPA data'),
  ('EV-DO', 'E', 8, 'CDMA EV-DO packet data'),
  ('LTE', 'L', 16, 'LTE packet data and VoLTE');

INSERT INTO tqd_Field_Group (Field_Group_Id, Field_Group_Short, Field_Group_Name) VALUES
  (1, 'Peg', 'Peg Count'),
  (2, 'Duration', 'Duration'),
  (3, 'Gauge', 'Gauge'),
  (4, 'Key', 'Key Field'),
  (5, 'UDC', 'User-Defined Calculation'),
  (6, 'EXT', 'External Field'),
  (7, 'Common', 'Common Field'),
  (8, 'Avail', 'Data Availability'),
  (9, 'Message', 'Message Field');

INSERT INTO tqd_DataSource_Field_Group (DataSource_ID, Field_Group_Id) VALUES
  (1, 1), (1, 2), (1, 5),
  (2, 1), (2, 2), (2, 3), (2, 5), (2, 6), (2, 7), (2, 8),
  (3, 4), (3, 1), (3, 2), (3, 6), (3, 5),
  (4, 1), (4, 5), (5, 9), (5, 4), (6, 1), (6, 5),
  (7, 9), (7, 4),
  (8, 1), (8, 5), (9, 9), (9, 4),
  (10, 1), (10, 5), (11, 9), (11, 4);

INSERT INTO TQD_Aggregator (AGGR_ID, AGGR_Name, AGGR_BH_OK, label_time, label_element) VALUES
  ('SUM', 'Sum', 'Y', NULL, NULL),
  ('AVG', 'Average', 'Y', NULL, NULL),
  ('MAX', 'Maximum', 'Y', NULL, NULL),
  ('MIN', 'Minimum', 'N', NULL, NULL),
  ('SUMAVG', 'Sum, average over elements', 'Y', 'Sum', 'Average'),
  ('MAXSUM', 'Maximum, sum over elements', 'N', 'Maximum', 'Sum');

INSERT INTO tqd_Dict_Namespace (NameSpace_Id, NameSpace_Title) VALUES (11, 'Vendor Name');
INSERT INTO tqd_Field_Data_Set (DataSet_ID, DataSet_Title) VALUES (21, 'RCVFormName');
INSERT INTO TQD_DataSource_Extra_Cols (DataSource_ID, e_id, Col_Title, E_Type, Editable) VALUES
  (2, 11, 'Vendor Name', 'A', 'N'),
  (2, 21, 'RCVFormName', 'S', 'Y');

INSERT INTO TQE_Function_Type (Function_Type_Id, Function_Type_Name) VALUES
  (1, 'Arithmetic'), (2, 'Null Handling'), (3, 'Conditional'), (4, 'Aggregate');

INSERT INTO TQE_Function (Function_Name, Function_Signature, Function_Type_Id, Function_Desc) VALUES
  ('ABS', 'ABS(x)', 1, 'Absolute value'),
  ('ROUND', 'ROUND(x, digits)', 1, 'x rounded to the given number of decimals'),
  ('TRUNC', 'TRUNC(x, digits)', 1, 'x cut to the given number of decimals'),
  ('SQRT', 'SQRT(x)', 1, 'Square root'),
  ('POWER', 'POWER(x, y)', 1, 'x raised to the power y'),
  ('MOD', 'MOD(x, y)', 1, 'Remainder of x divided by y'),
  ('NVL', 'NVL(x, value_if_null)', 2, 'x, or the second value when x is null'),
  ('NULLIF', 'NULLIF(x, y)', 2, 'Null when x equals y, else x; guards divisions by zero'),
  ('COALESCE', 'COALESCE(x, y, ...)', 2, 'The first value that is not null'),
  ('DECODE', 'DECODE(expr, search, result, ..., default)', 3, 'The result paired with the first matching search'),
  ('GREATEST', 'GREATEST(x, y, ...)', 3, 'The largest of the values'),
  ('LEAST', 'LEAST(x, y, ...)', 3, 'The smallest of the values'),
  ('SUM', 'SUM(x)', 4, 'Sum over the aggregation period'),
  ('AVG', 'AVG(x)', 4, 'Average over the aggregation period'),
  ('MAX', 'MAX(x)', 4, 'Maximum over the aggregation period'),
  ('MIN', 'MIN(x)', 4, 'Minimum over the aggregation period');

INSERT INTO tq_frequency (frequency_id, description, tag) VALUES
  (1, 'Hourly', 'H'), (2, 'Daily', 'D'), (3, 'Weekly', 'W'), (4, 'Monthly', 'M'), (5, '15 Minutes', 'Q');

INSERT INTO tq_system_values (name, value) VALUES
  ('ActivateWeeklyMonthly', '1'),
  ('DataRetentionDays', '400');
)sql");
  }

  void LoadEntities(bool withBench) {
    Exec(db_, R"sql(
INSERT INTO TQN_ENTITY (Entity_Id, Entity_Name, Entity_Label, Entity_Desc, Entity_Type, Module_Id, Version_Id,
                        Can_Report, Can_Sum, AllowReparenting) VALUES
  (1, 'Generic', 'Generic', 'Entities common to every network', 'Module', 1, NULL, 'Y', 'N', 'N'),
  (4, 'GenericV1', 'Generic 1.0', 'Generic entity definitions', 'ModuleVer', 1, 4, 'Y', 'N', 'N'),
  (2, 'WirelessNetwork', 'Wireless Network', 'Radio access and switching network', 'Module', 2, NULL, 'Y', 'N', 'N'),
  (3, 'WirelessNetworkR10', 'Release 10', 'Entity definitions of network release 10', 'ModuleVer', 2, 3, 'Y', 'N', 'N'),
  (10, 'NetworkSystem', 'System', 'The whole network of the operator', 'System', 2, 3, 'Y', 'Y', 'N'),
  (11, 'MobileSwitch', 'Switch', 'Mobile switching center', 'Entity', 2, 3, 'Y', 'Y', 'N'),
  (12, 'CellSite', 'Cell', 'Cell site served by a switch', 'Entity', 2, 3, 'Y', 'Y', 'Y'),
  (13, 'CellSector', 'Sector', 'Antenna sector of a cell', 'Entity', 2, 3, 'Y', 'Y', 'N'),
  (14, 'SectorCarrier', 'Carrier', 'Radio carrier of a sector', 'Entity', 2, 3, 'Y', 'Y', 'N'),
  (15, 'CellEqFace3GCDMACarrier', 'Carrier Equipment', '3G CDMA carrier equipment face', 'Entity', 2, 3, 'Y', 'N', 'N'),
  (16, 'PagingArea', 'Paging Area', 'Group of cells paged together', 'Entity', 2, 3, 'N', 'N', 'N'),
  (20, 'DataAvailability', 'Data Availability', 'Arrival of collected data files', 'Entity', 2, 3, 'Y', 'N', 'N');

INSERT INTO tqn_entity_context (Context_Id, Entity_Id, Parent_Entity_Id, Depth, Context_Entity_Label) VALUES
  (2, 1, NULL, 0, NULL), (2, 4, 1, 1, NULL), (2, 2, NULL, 0, NULL), (2, 3, 2, 1, NULL),
  (2, 10, 3, 2, NULL), (2, 11, 10, 3, 'MSC'), (2, 12, 11, 4, 'Site'), (2, 13, 12, 5, NULL),
  (2, 14, 13, 6, NULL), (2, 15, 14, 7, NULL), (2, 16, 11, 4, NULL),
  (3, 10, 3, 2, NULL), (3, 11, 10, 3, 'MSC'), (3, 12, 11, 4, 'Site'),
  (4, 10, 3, 2, NULL), (4, 11, 10, 3, 'MSC'), (4, 12, 11, 4, 'Site'),
  (5, 10, 3, 2, NULL), (5, 11, 10, 3, 'MSC'), (5, 12, 11, 4, 'Site'), (5, 13, 12, 5, NULL),
  (6, 10, 3, 2, NULL), (6, 11, 10, 3, 'MSC'), (6, 12, 11, 4, 'Site'),
  (7, 10, 3, 2, NULL), (7, 11, 10, 3, 'MSC'), (7, 12, 11, 4, 'Site'), (7, 13, 12, 5, NULL),
  (9, 20, NULL, 0, NULL);
)sql");
    if (withBench) {
      Exec(db_,
           "INSERT INTO TQN_ENTITY (Entity_Id, Entity_Name, Entity_Label, Entity_Desc, Entity_Type, Module_Id, "
           "Version_Id, Can_Report, Can_Sum, AllowReparenting) VALUES (17, 'BenchCell', 'Bench Cell', "
           "'Cell of the large generated dictionary', 'Entity', 2, 3, 'Y', 'Y', 'N');"
           "INSERT INTO tqn_entity_context (Context_Id, Entity_Id, Parent_Entity_Id, Depth, Context_Entity_Label) "
           "VALUES (2, 17, 11, 4, 'Site');");
    }
  }

  void LoadFields() {
    // Traffic counters: the core set everywhere, technology sets where the radio lives.
    for (int64_t entity : {kSwitch, kCell, kSector, kCarrier}) AddCounters(kTraffic, entity, kCoreCounters);
    AddCounters(kTraffic, kSwitch, kSwitchCounters);
    for (int64_t entity : {kSwitch, kCell, kSector}) {
      for (const auto* set : {&kGsmCounters, &kCdmaCounters, &kUmtsCounters, &kEvdoCounters, &kLteCounters}) {
        AddCounters(kTraffic, entity, *set);
      }
    }
    AddCounters(kTraffic, kCarrier, kCdmaCounters);
    AddCounters(kTraffic, kCarrier, kEvdoCounters);
    AddCounters(kTraffic, kPagingArea,
                {{"Zone_Pages", "Zone", "Pages", "Pages sent in the paging area", "I", "Peg", "SUM", kAllTech},
                 {"Zone_Page_Responses", "Zone", "Responses", "Page responses received in the paging area", "I",
                  "Peg", "SUM", kAllTech}});
    AddCounters(kTraffic, kCell,
                {{"Site_Temperature_Ext", "Site", "Temp C", "Shelter temperature from the site monitoring system",
                  "F", "EXT", "AVG", 0},
                 {"Power_Outage_Mins_Ext", "Power", "Outage Min", "Minutes on battery from the power monitoring system",
                  "F", "EXT", "SUM", 0}});

    // Enumerated fields.
    const int64_t cellStatus = AddCounter(
        kTraffic, kCell,
        {"Cell_Status", "Cell", "Status", "Worst operational state of the cell in the interval", "E", "Gauge", "MIN",
         kAllTech});
    const int64_t bandClass = AddCounter(
        kTraffic, kCarrier,
        {"Band_Class", "Band", "Class", "Frequency band class of the carrier", "E", "Gauge", "MAX", kCdma | kEvdo});
    Insert enumValue(db_, "INSERT INTO TQD_ENUM_VALUES (Field_Id, Enum_Key, Enum_Desc) VALUES (?1, ?2, ?3)");
    enumValue.Run({cellStatus, "0", "Out of service"});
    enumValue.Run({cellStatus, "1", "In service"});
    enumValue.Run({cellStatus, "2", "Degraded"});
    enumValue.Run({cellStatus, "3", "Blocked by maintenance"});
    enumValue.Run({bandClass, "0", "800 MHz cellular"});
    enumValue.Run({bandClass, "1", "1900 MHz PCS"});
    enumValue.Run({bandClass, "10", "Secondary 800 MHz"});

    LoadRcvFields();

    // The other data sources.
    AddCounters(kClient, kSwitch, {kClientCounters[0], kClientCounters[3]});
    for (int64_t entity : {kCell, kSector}) AddCounters(kClient, entity, kClientCounters);
    LoadUdr();
    for (int64_t entity : {kSwitch, kCell}) {
      AddCounters(kCpFailCount, entity,
                  {{"CP_Fail_Count", "CP Fail", "Count", "Call processing failures", "I", "Peg", "SUM", kCdma},
                   {"CP_Setup_Count", "CP Setup", "Count", "Call setups seen by call processing", "I", "Peg", "SUM",
                    kCdma}});
    }
    AddCounters(kCpFailMessage, kCell,
                {{"Fail_Message_Count", "Fail Msg", "Count", "Failure messages logged", "I", "Message", "SUM", kCdma},
                 {"Fail_Reason_Code", "Reason", "Code", "Failure reason reported by call processing", "S", "Key", "",
                  kCdma}});
    AddCounters(kCpFailHandoff, kCell,
                {{"HO_CP_Fail_Count", "HO CP Fail", "Count", "Call processing failures during handoff", "I", "Peg",
                  "SUM", kCdma}});
    AddCounters(kEvdoPcmdMessage, kSector,
                {{"DO_Msg_Count", "DO Msg", "Count", "EV-DO per-call messages", "I", "Message", "SUM", kEvdo},
                 {"DO_Session_Id", "DO Session", "Id", "EV-DO session identifier", "S", "Key", "", kEvdo}});
    AddCounters(kDoCpFailCount, kCell,
                {{"DO_CP_Fail_Count", "DO CP Fail", "Count", "EV-DO connection failures", "I", "Peg", "SUM", kEvdo}});
    AddCounters(kDoCpFailMessage, kCell,
                {{"DO_Fail_Msg_Count", "DO Fail Msg", "Count", "EV-DO failure messages logged", "I", "Message", "SUM",
                  kEvdo},
                 {"DO_Fail_Reason", "DO Reason", "Code", "EV-DO failure reason", "S", "Key", "", kEvdo}});
    for (int64_t entity : {kCell, kSector}) {
      AddCounters(kPcmdCount, entity,
                  {{"PCMD_Record_Count", "PCMD", "Records", "Per-call measurement records", "I", "Peg", "SUM",
                    kCdma | kEvdo},
                   {"PCMD_Drop_Count", "PCMD", "Drops", "Per-call records that ended in a drop", "I", "Peg", "SUM",
                    kCdma | kEvdo}});
    }
    AddCounters(kPcmdMessage, kSector,
                {{"PCMD_Final_Class", "Final", "Class", "Final class of the call", "S", "Key", "", kCdma | kEvdo},
                 {"PCMD_Msg_Count", "PCMD Msg", "Count", "Per-call measurement messages", "I", "Message", "SUM",
                  kCdma | kEvdo}});

    // Availability of each data file, reported at the Data Availability entity.
    for (const DataFile& file : kDataFiles) {
      const std::string name = AvailabilityFieldName(file.type);
      const std::string description = std::string("Percentage of the expected ") + file.type + " files received";
      const int64_t id = AddField({kTraffic, kAvailability, name, "Avail %", file.type, description, "F", "Avail",
                                   "AVG", kAllTech});
      ids_[{kTraffic, kAvailability, name}] = id;
    }

    for (const Calc& c : kCalcs) {
      const int64_t id = AddField({c.dataSource, c.entity, c.name, c.heading1, c.heading2, c.description, "F", "UDC",
                                   c.aggregator, c.tech, c.owner, c.changed, "", c.source});
      ids_[{c.dataSource, c.entity, c.name}] = id;
    }

    // List styles: bold red and bold green for the headline rates, blue underline for states.
    style_.Add({Id(kTraffic, kCell, "Drop_Rate"), int64_t{1}, int64_t{255}});
    style_.Add({Id(kTraffic, kCell, "Call_Success_Rate"), int64_t{1}, int64_t{32768}});
    style_.Add({Id(kTraffic, kCell, "Legacy_Retry_Rate"), int64_t{2}, int64_t{8421504}});
    style_.Add({Id(kTraffic, kCell, "Dropped_Calls"), int64_t{2}, int64_t{0}});
    style_.Add({cellStatus, int64_t{4}, int64_t{16711680}});
  }

  // RCV/EMS parameters: the second heading is the parameter's name within its form.
  void LoadRcvFields() {
    struct RcvField {
      int64_t entity;
      const char* name;
      const char* heading1;
      const char* rcvName;
      const char* description;
      const char* form;
    };
    const std::vector<RcvField> fields = {
        {kCarrier, "Deter_Threshold", "Deter", "deter_thresh", "Overload deterrence threshold of the carrier",
         "ceqface3g"},
        {kCarrier, "Enable_Threshold", "Enable", "enable_thresh", "Overload control enabling threshold", "ceqface3g"},
        {kCarrier, "Fwd_Power_Max", "Fwd Power", "fwd_pwr_max", "Maximum forward link power setting", "ceqface3g"},
        {kCarrierFace, "Face_Deter_Threshold", "Deter", "deter_thresh", "Deterrence threshold of the equipment face",
         "ceqface3g"},
        {kCarrierFace, "Face_Enable_Threshold", "Enable", "enable_thresh",
         "Enabling threshold of the equipment face", "ceqface3g"},
        {kCarrierFace, "Face_Tx_Power", "Tx Power", "tx_power", "Transmit power of the equipment face", "ceqface3g"},
        {kCell, "Max_Calls_Param", "Max", "max_calls", "Configured call limit of the cell", "cell2"},
        {kCell, "Handoff_Threshold", "HO", "ho_thresh", "Handoff add threshold", "cell2"},
        {kSector, "Pilot_Power", "Pilot", "pilot_pwr", "Pilot channel power", "sector3g"},
        {kSector, "Search_Window", "Search", "srch_win", "Active set search window", "sector3g"},
        {kSwitch, "Page_Retry_Count", "Page", "page_retry", "Page retries before giving up", "swparms"},
    };
    for (const RcvField& f : fields) {
      const int64_t id =
          AddField({kTraffic, f.entity, f.name, f.heading1, f.rcvName, f.description, "I", "Gauge", "MAX", kCdma});
      data_.Add({f.entity, id, kRcvFormColumn, f.form});
    }
    Exec(db_,
         "INSERT INTO pel_rcvform_entity (rcvformname, entityname) VALUES "
         "('ceqface3g', 'SectorCarrier'), ('cell2', 'CellSite'), ('sector3g', 'CellSector'), "
         "('swparms', 'MobileSwitch');");
  }

  void LoadUdr() {
    AddCounters(kUdr, kSwitch, {{"Switch_Number", "Switch", "Number", "Switch that served the call", "S", "Key", "",
                                 kAllTech}});
    AddCounters(kUdr, kCell,
                {{"Cell_Number", "Cell", "Number", "Cell that served the call", "I", "Key", "", kAllTech},
                 {"Call_Start_Time", "Start", "Time", "Time the call was set up", "D", "Key", "", kAllTech},
                 {"Mobile_Id", "Mobile", "Id", "Identity of the mobile", "S", "Key", "", kAllTech},
                 {"Served_Sector", "Sector", "Number", "Sector that served the call", "I", "Key", "", kAllTech},
                 {"Call_Count", "Calls", "Count", "Calls in the record", "I", "Peg", "SUM", kAllTech},
                 {"Call_Duration_Secs", "Duration", "Seconds", "Holding time of the call", "F", "Duration", "SUM",
                  kAllTech},
                 {"Handset_Location", "Location", "Estimate", "Position estimate from the location platform", "S",
                  "EXT", "", kAllTech}});
    Insert key(db_, "INSERT INTO tqd_udr_keys (entity_id, field_seq, Field_id) VALUES (?1, ?2, ?3)");
    key.Run({kSwitch, int64_t{1}, Id(kUdr, kSwitch, "Switch_Number")});
    key.Run({kCell, int64_t{1}, Id(kUdr, kCell, "Cell_Number")});
    key.Run({kCell, int64_t{2}, Id(kUdr, kCell, "Call_Start_Time")});
    key.Run({kCell, int64_t{3}, Id(kUdr, kCell, "Mobile_Id")});
  }

  // The shapes of the sample, numbered, at BenchCell: per group of ten, seven counters and
  // three calculations, the last of which uses the first. Their calculations are translated
  // before their rows are stored, so that the rows travel in bulk with the translations and
  // no statement runs per field.
  void LoadBench(int32_t size) {
    struct Shape {
      const char* stem;
      const char* heading1;
      const char* heading2;
      const char* what;
      const char* dataType;
      const char* group;
      const char* aggregator;
      const char* source;  // %s stands for the group number
    };
    static const Shape kShapes[10] = {
        {"Bench_Call_Att", "Call", "Attempts", "Call attempts", "I", "Peg", "SUM", ""},
        {"Bench_Blocked", "Blocked", "Calls", "Blocked calls", "I", "Peg", "SUM", ""},
        {"Bench_Dropped", "Dropped", "Calls", "Dropped calls", "I", "Peg", "SUM", ""},
        {"Bench_HO_Att", "Handoff", "Attempts", "Handoff attempts", "I", "Peg", "SUM", ""},
        {"Bench_HO_Fail", "Handoff", "Failures", "Handoff failures", "I", "Peg", "SUM", ""},
        {"Bench_MOU", "MOU", "Minutes", "Minutes of use", "F", "Duration", "SUM", ""},
        {"Bench_Peak_Chan", "Peak Busy", "Channels", "Peak busy channels", "I", "Gauge", "MAX", ""},
        {"Bench_Drop_Rate", "Drop", "Rate %", "Drop rate", "F", "UDC", "AVG",
         "100 * Bench_Dropped_%s / NULLIF(Bench_Call_Att_%s - Bench_Blocked_%s, 0)"},
        {"Bench_Erlangs", "Traffic", "Erlangs", "Carried traffic", "F", "UDC", "SUM", "Bench_MOU_%s / 60"},
        {"Bench_Success", "Call", "Success %", "Call success rate", "F", "UDC", "AVG", "100 - Bench_Drop_Rate_%s"},
    };
    struct Generated {
      const Shape* shape;
      char number[16];
      std::string name, source;
    };
    const int64_t firstId = nextId_;
    // Field i of the load; the same every time it is asked for.
    auto generate = [&](int32_t i, Generated& g) {
      g.shape = &kShapes[i % 10];
      std::snprintf(g.number, sizeof g.number, "%06d", i / 10 + 1);
      g.name.assign(g.shape->stem).append("_").append(g.number);
      g.source.clear();
      for (const char* p = g.shape->source; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
          g.source += g.number;
          ++p;
        } else {
          g.source += *p;
        }
      }
    };
    auto isCalculation = [](int32_t i) { return std::string_view(kShapes[i % 10].group) == "UDC"; };

    CalculationTranslator translator(db_);
    Generated g;
    for (int32_t i = 0; i < size; ++i) {
      generate(i, g);
      translator.AddPending({static_cast<int32_t>(firstId + i), static_cast<int32_t>(kBenchCell),
                             static_cast<int32_t>(kTraffic), g.name, isCalculation(i), g.source});
    }
    for (int32_t i = 0; i < size; ++i) {
      if (isCalculation(i)) translator.RebuildDependencies(static_cast<int32_t>(firstId + i));
    }
    for (int32_t i = 0; i < size; ++i) {
      Progress("translated calculations", i, size);
      if (isCalculation(i)) translator.Translate(static_cast<int32_t>(firstId + i));
    }
    Progress("translated calculations", size, size);

    std::string description, vendor;
    for (int32_t i = 0; i < size; ++i) {
      Progress("stored fields", i, size);
      generate(i, g);
      const Shape& shape = *g.shape;
      description.assign(shape.what).append(", set ").append(g.number);
      const int64_t id = AddField(
          {kTraffic, kBenchCell, g.name, shape.heading1, shape.heading2, description, shape.dataType,
           shape.group, shape.aggregator, kVoice, kAdmin, kImported, "", g.source,
           isCalculation(i) ? &translator.PendingOutcome(static_cast<int32_t>(firstId + i)) : nullptr});
      if (i % 10 == 1) {
        vendor.assign("BLK_").append(g.number);
        AddName(id, kVendorNameColumn, kBenchCell, vendor);
      }
      if (i % 10 == 7) style_.Add({id, int64_t{1}, int64_t{255}});
      // In pieces, so that the rows waiting in memory stay few.
      if ((i + 1) % 100000 == 0) FlushFields();
    }
    FlushFields();
    Progress("stored fields", size, size);
  }

  // The calculations not translated before they were stored: the few of the ordinary sample.
  void TranslateCalculations() {
    CalculationTranslator translator(db_);
    for (int64_t id : calcs_) translator.RebuildDependencies(static_cast<int32_t>(id));
    for (int64_t id : calcs_) translator.Translate(static_cast<int32_t>(id));
  }

  // Each tenth of the way.
  void Progress(std::string_view step, int64_t done, int64_t total) {
    if (progress_ && done > 0 && done * 10 / total != (done - 1) * 10 / total) progress_(step, done, total);
  }

  void LoadBusyHours() {
    Insert busyHour(db_,
                    "INSERT INTO PM_BusyHour (Id, UserId, Name, Changed, Cluster_Entity_Id, Field_Id, Description, "
                    "FirstNeeded, Span, MinRank, MaxRank, DTPeriod, Scenario_Id, FirstAvail, LastAvail, "
                    "Daily_Retention, Weekly_Retention, Monthly_Retention) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, 24, NULL, ?12, ?13, ?14, ?15, ?16)");
    Insert range(db_,
                 "INSERT INTO PM_HourRange (Id, BusyHourId, FirstHour, LastHour, FirstSeconds, LastSeconds) "
                 "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    int64_t rangeId = 0;
    // Slots are hours of the day counted from 1; seconds run from the start of the first slot
    // to the end of the last.
    auto hours = [&](int64_t busyHourId, int64_t firstSlot, int64_t lastSlot) {
      range.Run({++rangeId, busyHourId, firstSlot, lastSlot, (firstSlot - 1) * 3600, lastSlot * 3600 - 1});
    };
    const int64_t cellCalls = Id(kTraffic, kCell, "Call_Attempts");
    const int64_t sectorMou = Id(kTraffic, kSector, "Minutes_Of_Use");
    const int64_t switchCalls = Id(kTraffic, kSwitch, "Call_Attempts");
    const int64_t cellErlangs = Id(kTraffic, kCell, "Traffic_Erlangs");

    busyHour.Run({int64_t{1}, int64_t{kRfEngineering}, "Cell Evening BH", "2026-02-02 09:15:00", kCell, cellCalls,
                  "Weekday evening busy hour on call attempts", "2026-01-01 00:00:00", "D", int64_t{1}, int64_t{1},
                  "2026-01-01 00:00:00", "2026-03-15 00:00:00", int64_t{35}, int64_t{26}, int64_t{13}});
    hours(1, 18, 22);
    busyHour.Run({int64_t{2}, int64_t{kRfEngineering}, "Sector Weekly Traffic BH", "2026-02-02 09:30:00", kSector,
                  sectorMou, "Morning and evening peaks of minutes of use", "2026-01-05 00:00:00", "W", int64_t{1},
                  int64_t{3}, "2026-01-05 00:00:00", "2026-03-09 00:00:00", nullptr, int64_t{26}, nullptr});
    hours(2, 9, 11);
    hours(2, 18, 21);
    busyHour.Run({int64_t{3}, int64_t{kNoc}, "Switch Monthly BH", "2026-02-04 08:00:00", kSwitch, switchCalls,
                  "Monthly busy hour of the switch", "2026-01-01 00:00:00", "M", int64_t{1}, int64_t{1}, nullptr,
                  nullptr, nullptr, nullptr, int64_t{24}});
    hours(3, 19, 21);
    busyHour.Run({int64_t{4}, int64_t{kPlanner}, "Cell Erlang BH", "2026-02-06 15:00:00", kCell, cellErlangs,
                  "Evening busy hour on carried Erlangs", "2026-02-01 00:00:00", "D", int64_t{1}, int64_t{2},
                  nullptr, nullptr, int64_t{35}, nullptr, nullptr});
    hours(4, 17, 22);
    busyHour.Run({int64_t{5}, int64_t{kPlanner}, "Evening Summation", "2026-02-06 15:10:00", kCell, nullptr,
                  "Weekday evening hours summed", "2026-02-01 00:00:00", "D", int64_t{1}, int64_t{1}, nullptr,
                  nullptr, int64_t{35}, nullptr, nullptr});
    hours(5, 18, 22);
    busyHour.Run({int64_t{6}, int64_t{kPlanner}, "Business Day Summation", "2026-02-06 15:20:00", kCell, nullptr,
                  "Office hours summed over the week", "2026-02-01 00:00:00", "W", int64_t{1}, int64_t{1}, nullptr,
                  nullptr, nullptr, int64_t{26}, nullptr});
    hours(6, 9, 17);
    busyHour.Run({int64_t{7}, int64_t{kNoc}, "Sector Daily Summation", "2026-02-07 07:00:00", kSector, nullptr,
                  "All hours of the day", "2026-02-01 00:00:00", "D", int64_t{1}, int64_t{1}, nullptr, nullptr,
                  int64_t{35}, nullptr, nullptr});
    hours(7, 1, 24);
    Exec(db_,
         "INSERT INTO PM_PABH (ID, FirstAvail, LastAvail) VALUES (1, '2026-01-01 00:00:00', '2026-03-15 00:00:00');");
  }

  void LoadDocuments() {
    Insert document(db_,
                    "INSERT INTO PM_Document (Id, Kind, Name, Express, Report_Id, Owner_Id, Changed) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    document.Run({int64_t{1}, "Report", "Daily Cell Drop Report", "N", nullptr, int64_t{kRfEngineering},
                  "2026-02-10 09:00:00"});
    document.Run({int64_t{2}, "Report", "Weekly Sector Traffic", "N", nullptr, int64_t{kPlanner},
                  "2026-02-11 09:00:00"});
    document.Run({int64_t{3}, "Report", "Handoff Performance", "N", nullptr, int64_t{kNoc}, "2026-02-12 09:00:00"});
    document.Run({int64_t{4}, "Report", "Sector Quick View", "N", nullptr, int64_t{kPlanner}, "2026-02-13 09:00:00"});
    document.Run({int64_t{10}, "Template", "Cell Drop Template", "N", nullptr, int64_t{kRfEngineering},
                  "2026-02-09 16:00:00"});
    document.Run({int64_t{11}, "Template", "LTE Accessibility Template", "N", nullptr, int64_t{kRfEngineering},
                  "2026-02-09 16:30:00"});
    document.Run({int64_t{12}, "Template", "Sector Quick View", "Y", int64_t{4}, int64_t{kPlanner},
                  "2026-02-13 08:55:00"});
    // An express template whose report was never run.
    document.Run({int64_t{13}, "Template", "Blocking Quick Check", "Y", nullptr, int64_t{kNoc}, "2026-02-14 10:00:00"});

    Insert report(db_, "INSERT INTO PM_Report (Id, ReportSpecId) VALUES (?1, ?2)");
    Insert reportColumn(db_, "INSERT INTO PM_ReportSpec (Id, Column_Seq, Field_Id, BusyHourId) VALUES (?1, ?2, ?3, ?4)");
    Insert templateField(db_,
                         "INSERT INTO PM_TemplateField (TemplateId, Field_Seq, Field_Id, Criteria) "
                         "VALUES (?1, ?2, ?3, ?4)");
    for (int64_t i = 1; i <= 4; ++i) report.Run({i, 100 + i});
    reportColumn.Run({int64_t{101}, int64_t{1}, Id(kTraffic, kCell, "Drop_Rate"), int64_t{1}});
    reportColumn.Run({int64_t{101}, int64_t{2}, Id(kTraffic, kCell, "Call_Attempts"), int64_t{1}});
    reportColumn.Run({int64_t{101}, int64_t{3}, Id(kTraffic, kCell, "Dropped_Calls"), int64_t{1}});
    reportColumn.Run({int64_t{102}, int64_t{1}, Id(kTraffic, kSector, "Minutes_Of_Use"), int64_t{2}});
    reportColumn.Run({int64_t{102}, int64_t{2}, Id(kTraffic, kSector, "Traffic_Erlangs"), int64_t{2}});
    reportColumn.Run({int64_t{103}, int64_t{1}, Id(kTraffic, kCell, "HO_Failure_Rate"), nullptr});
    reportColumn.Run({int64_t{103}, int64_t{2}, Id(kTraffic, kCell, "Handoff_Attempts"), nullptr});
    reportColumn.Run({int64_t{104}, int64_t{1}, Id(kTraffic, kSector, "Sector_MOU_Share"), nullptr});
    reportColumn.Run({int64_t{104}, int64_t{2}, Id(kTraffic, kSector, "Traffic_Erlangs"), nullptr});
    templateField.Run({int64_t{10}, int64_t{1}, Id(kTraffic, kCell, "Drop_Rate"), "> 2"});
    templateField.Run({int64_t{10}, int64_t{2}, Id(kTraffic, kCell, "Call_Attempts"), ">= 100"});
    templateField.Run({int64_t{11}, int64_t{1}, Id(kTraffic, kCell, "LTE_ERAB_Drop_Rate"), nullptr});
    templateField.Run({int64_t{11}, int64_t{2}, Id(kTraffic, kCell, "LTE_RRC_Conn_Attempts"), nullptr});
    templateField.Run({int64_t{12}, int64_t{1}, Id(kTraffic, kSector, "Sector_MOU_Share"), nullptr});
    templateField.Run({int64_t{12}, int64_t{2}, Id(kTraffic, kSector, "Traffic_Erlangs"), "> 20"});
    templateField.Run({int64_t{13}, int64_t{1}, Id(kTraffic, kCell, "Block_Rate"), ">= 1"});

    Insert filter(db_, "INSERT INTO PM_Filter (Id, Name, Field_Id, Criteria) VALUES (?1, ?2, ?3, ?4)");
    filter.Run({int64_t{1}, "High Drop Cells", Id(kTraffic, kCell, "Drop_Rate"), "> 2"});
    filter.Run({int64_t{2}, "Busy Sectors", Id(kTraffic, kSector, "Traffic_Erlangs"), "> 20"});
  }

  void LoadDataFiles() {
    Insert control(db_,
                   "INSERT INTO tq_file_control (file_type_id, file_type, frequency, FREQUENCY_ID, FILE_DESCRIPTION, "
                   "entity_name, ENTITY_ID, vendor, OFFSET_MINUTES) "
                   "VALUES (?1, ?2, ?3, ?4, ?5, 'DataAvailability', 20, ?6, ?7)");
    Insert partition(db_,
                     "INSERT INTO tq_min_partition (file_type_id, min_partition_date, max_partition_date) "
                     "VALUES (?1, ?2, ?3)");
    Insert available(db_, "INSERT INTO tq_available_data (file_type_id, timestamp) VALUES (?1, ?2)");
    Insert map(db_, "INSERT INTO AVA_MAP (file_type_id) VALUES (?1)");
    for (const DataFile& f : kDataFiles) {
      control.Run({f.id, f.type, f.frequency, f.frequencyId, f.description, f.vendor, f.offsetMinutes});
      map.Run({f.id});
      // A file not collected yet has no partition and no availability rows.
      if (f.first == nullptr) continue;
      partition.Run({f.id, f.first, f.last});
      available.Run({f.id, f.first});
      available.Run({f.id, f.last});
    }
  }

  engine::EngineDatabase& db_;
  std::function<void(std::string_view, int64_t, int64_t)> progress_;
  BulkRows field_, name_, def_, data_, style_, depend_;
  int64_t nextId_ = 1001;
  std::vector<int64_t> calcs_;
  std::map<std::tuple<int64_t, int64_t, std::string>, int64_t> ids_;
};

}  // namespace

void LoadSampleDictionary(engine::EngineDatabase& db, const SampleOptions& options) {
  engine::EngineTransaction transaction(db);
  SampleLoader(db).LoadAll(options);
  transaction.Commit();
}

}  // namespace ridirodev::standalone
