#include "standalone/routines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/calculation_translator.h"
#include "standalone/sample.h"
#include "testing/sample.h"

namespace ridirodev::standalone {
namespace {

constexpr int kCell = kSampleCellEntity;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// The sample dictionary on each engine, and the routines called the way the procedure-call
// object calls them: integers as numbers, texts as texts, empty texts as Empty.
class RoutinesTest : public ::testing::TestWithParam<testing::TestEngine> {
 protected:
  void SetUp() override {
    RIDIRODEV_SKIP_WITHOUT_SERVER(GetParam());
    sample_ = testing::SampleOn(GetParam());
  }

  RoutineCall Run(const std::string& name, std::vector<Variant> args) {
    RoutineCall call{name, std::move(args), {}};
    RunRoutine(*sample_, call);
    return call;
  }
  void Exec(const std::string& sql) { testing::Exec(*sample_, sql); }
  // The first row, columns joined by '|', nulls as "NULL".
  std::string Value(const std::string& sql) { return testing::FirstRow(*sample_, sql); }
  int64_t Count(const std::string& sql) { return std::stoll(Value("SELECT count(*) FROM " + sql)); }
  int32_t FieldId(int entity, const std::string& name) {
    return testing::SampleFieldId(*sample_, entity, name);
  }
  std::string Field(int32_t id, const std::string& columns) {
    return Value("SELECT " + columns + " FROM tqd_Datasource_Field WHERE Field_Id = " + std::to_string(id));
  }
  // The names a calculation uses, in order, joined by ',' ("NULL" for none).
  std::string UsedBy(int32_t parent) {
    std::string names;
    for (const std::string& name :
         testing::Rows(*sample_,
                       "SELECT c.Name FROM tqd_dict_field_depend x JOIN tqd_Datasource_Field c ON c.Field_Id "
                       "= x.child_field_id WHERE x.parent_field_id = " +
                           std::to_string(parent) + " ORDER BY c.Name")) {
      names += (names.empty() ? "" : ",") + name;
    }
    return names.empty() ? "NULL" : names;
  }
  // A value of the component's own dialect, as the component would ask it.
  std::string Asked(const std::string& sql) {
    return sample_->QueryValue(sql, Variant("<no row>")).ToString();
  }
  // A new Traffic calculation of the cell, with the arguments the component sends.
  int32_t NewCalc(const std::string& name, const std::string& source, const char* entity = "CellSite") {
    RoutineCall c{
        "tq_Dictionary.New_UDC_F", {name, entity, 2, 3, "F", source, "H1", "Two", "Text", 7, "AVG"}, {}};
    return RunRoutine(*sample_, c).ToInt32();
  }
  // Status and message after translation.
  std::string Stat(int32_t id) {
    RoutineCall call = Run("tq_Dictionary.UDC_Stat", {id, Variant(), Variant(), 30});
    return call.outputs.at(1).ToString() + "|" + call.outputs.at(2).ToString();
  }

  std::shared_ptr<engine::EngineDatabase> sample_;
};

TEST_P(RoutinesTest, NewCalculationIsAnUntranslatedUdc) {
  const int32_t id = NewCalc("Answer_Rate", "100 - Drop_Rate");
  EXPECT_EQ(Field(id,
                  "Name, Entity_Id, Field_Group_Short, Status, Field_Owner, DataType, Report_Header2, "
                  "Tech_Mask, Field_Aggregator, UDC_Source, Calc_Source, CASE WHEN Changed IS NULL THEN 0 "
                  "ELSE 1 END"),
            "Answer_Rate|12|UDC|U|3|F|Two|7|AVG|100 - Drop_Rate|NULL|1");
  EXPECT_EQ(UsedBy(id), "Drop_Rate");
  EXPECT_EQ(Stat(id), "T|");
  // The same name at another entity is a different field.
  EXPECT_NO_THROW(NewCalc("Answer_Rate", "100 - Drop_Rate", "CellSector"));
  // Creating a calculation links the ones that already named it.
  const int32_t early = NewCalc("Early_Calc", "2 * future_calc + Drop_Rate");
  EXPECT_EQ(Stat(early), "S|Unknown name 'future_calc' in the calculation.");
  NewCalc("Future_Calc", "Block_Rate / 2");
  EXPECT_EQ(UsedBy(early), "Drop_Rate,Future_Calc");
  EXPECT_EQ(Stat(early), "T|");
  // One value more is the weight when it is a number, else the complex part; two are both.
  const int32_t weight = FieldId(kCell, "Call_Attempts");
  int n = 0;
  for (const auto& [more, stored] :
       {std::pair{std::vector<Variant>{weight}, "NULL|" + std::to_string(weight)},
        {{"SUM(AVG)"}, "SUM(AVG)|NULL"},
        {{"SUM(AVG)", weight}, "SUM(AVG)|" + std::to_string(weight)}}) {
    RoutineCall c{"tq_Dictionary.New_UDC_F",
                  {"W" + std::to_string(++n), "CellSite", 2, 3, "F", "1", "", "", "", 7, "AVG"},
                  {}};
    c.args.insert(c.args.end(), more.begin(), more.end());
    EXPECT_EQ(Field(RunRoutine(*sample_, c).ToInt32(), "Complex, weight_field_id"), stored);
  }
}

TEST_P(RoutinesTest, NewCalculationRejectsBadInputAndWritesNothing) {
  const int64_t fields = Count("tqd_Dict_Field");
  const std::pair<std::vector<Variant>, const char*> bad[] = {
      {{"drop_rate", "CellSite", 2, 3, "F", "1", "", "", "", 7, "AVG"}, "already exists"},
      {{"X", "NoSuchEntity", 2, 3, "F", "1", "", "", "", 7, "AVG"}, "NoSuchEntity"},
      {{"X", "CellSite", 2}, "Wrong number"},
      {{"X", "CellSite", 99, 3, "F", "1", "", "", "", 7, "AVG"}, "Data source 99"},
  };
  for (const auto& [args, message] : bad) {
    EXPECT_THAT([&] { Run("tq_Dictionary.New_UDC_F", args); },
                ThrowsMessage<AutomationError>(HasSubstr(message)));
  }
  // A failure after the first rows are written takes them back.
  Exec("DROP VIEW tqd_Datasource_Field; DROP TABLE TQD_UDC_DEF");
  EXPECT_THROW(NewCalc("Half_Written", "1"), AutomationError);
  EXPECT_EQ(Count("tqd_Dict_Field"), fields);
  EXPECT_EQ(Count("tqd_Dict_Name WHERE Name = 'Half_Written'"), 0);
}

TEST_P(RoutinesTest, UpdateRewritesTheDefinitionAndItsDependencies) {
  const int32_t id = FieldId(kCell, "Call_Success_Rate");
  const int32_t weight = FieldId(kCell, "Call_Attempts");
  Exec("UPDATE TQD_UDC_DEF SET Complex = 'keep' WHERE Field_Id = " + std::to_string(id));
  Run("tq_Dictionary.Update_UDC", {id, "F", "100 - Drop_Rate", "New", "Heads", "Changed text", 3, "MAX"});
  EXPECT_EQ(Field(id,
                  "Name, Status, UDC_Source, Calc_Source, Report_Header, Field_Desc, Tech_Mask, "
                  "Field_Aggregator, Complex"),
            "Call_Success_Rate|U|100 - Drop_Rate|NULL|New|Changed text|3|MAX|keep");
  EXPECT_EQ(UsedBy(id), "Drop_Rate");

  // With the complex part: the text is replaced, and an empty weight clears it.
  const char* tail = "COALESCE(Complex, 'none') || '|' || COALESCE(CAST(weight_field_id AS TEXT), 'none')";
  Run("tq_Dictionary.Update_UDC", {id, "F", "Drop_Rate", "", "", "", 3, "MAX", "SUM(AVG)", weight});
  EXPECT_EQ(Field(id, tail), "SUM(AVG)|" + std::to_string(weight));
  Run("tq_Dictionary.Update_UDC", {id, "F", "Drop_Rate", "", "", "", 3, "MAX", "", ""});
  EXPECT_EQ(Field(id, tail), "none|none");
  EXPECT_THAT([&] { Run("tq_Dictionary.Update_UDC", {weight, "F", "1", "", "", "", 3, "MAX"}); },
              ThrowsMessage<AutomationError>(HasSubstr("not a user-defined calculation")));
}

TEST_P(RoutinesTest, DeleteRemovesEverythingOfTheCalculation) {
  const int32_t drop = FieldId(kCell, "Drop_Rate");
  const std::string id = std::to_string(drop);
  Exec("INSERT INTO tqd_Dict_Name (Field_Id, NameSpace_Id, Entity_Id, Name) VALUES (" + id +
       ", 11, 12, 'X')");
  Exec("INSERT INTO tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue) VALUES (12, " + id +
       ", 21, 'x')");
  Run("tq_Dictionary.Delete_UDC", {drop});
  for (const char* table :
       {"tqd_Dict_Field", "tqd_Dict_Name", "TQD_UDC_DEF", "tqd_field_style", "tqd_Field_Data"}) {
    EXPECT_EQ(Count(std::string(table) + " WHERE Field_Id = " + id), 0) << table;
  }
  EXPECT_EQ(Count("tqd_dict_field_depend WHERE parent_field_id = " + id + " OR child_field_id = " + id), 0);
  // The calculation that used it no longer resolves.
  EXPECT_EQ(Stat(FieldId(kCell, "Call_Success_Rate")), "S|Unknown name 'Drop_Rate' in the calculation.");

  const int32_t counter = FieldId(kCell, "Call_Attempts");
  EXPECT_THROW(Run("tq_Dictionary.Delete_UDC", {counter}), AutomationError);
  EXPECT_EQ(Field(counter, "Name"), "Call_Attempts");
}

TEST_P(RoutinesTest, TranslationStatuses) {
  const std::pair<const char*, const char*> cases[] = {
      {"round(drop_rate, 1) + NVL(Block_Rate, 0)", "T|"},
      {"CASE WHEN Cell_Status IN (0, 3) THEN 'Dropped_Calls' ELSE NULL END", "T|"},
      {"Drops / Call_Attempts", "S|Unknown name 'Drops' in the calculation."},
      {"FANCY(Call_Attempts)", "S|Unknown function 'FANCY' in the calculation."},
      {"Cell.Minutes_Of_Use", "S|Unknown entity 'Cell' in the calculation."},
      {"Call_Attempts)(", "S|Unbalanced parentheses in the calculation."},
      {"Call_Attempts || 'open", "S|Unclosed quote in the calculation."},
      {"   ", "S|The calculation has no source."},
      // Fields of other data sources are out of reach, Client's excepted for Traffic.
      {"CP_Fail_Count", "S|Unknown name 'CP_Fail_Count' in the calculation."},
      {"SMS_Failed + Roaming_Attempts", "T|"},
      {"Case_11 + 1", "S|The calculation uses itself."},
  };
  int n = 0;
  for (const auto& [source, expected] : cases) {
    const int32_t id = NewCalc("Case_" + std::to_string(++n), source);
    EXPECT_EQ(Stat(id), expected) << source;
    EXPECT_EQ(Field(id, "Status"), std::string(expected).substr(0, 1)) << source;
  }
  const int32_t a = NewCalc("Loop_A", "Drop_Rate");
  const int32_t b = NewCalc("Loop_B", "Loop_A * 2");
  Run("tq_Dictionary.Update_UDC", {a, "F", "Loop_B + 1", "", "", "", 7, "AVG"});
  EXPECT_EQ(Stat(a), "S|The calculation uses itself through other calculations.");
  EXPECT_EQ(Stat(b), "S|The calculation uses itself through other calculations.");
  // The use that closes the loop is not stored, so that both stay deletable in use order.
  EXPECT_EQ(UsedBy(a) + "/" + UsedBy(b), "NULL/Loop_A");
  // Nor when the loop is closed by a new calculation that an older one was waiting for.
  const int32_t waiting = NewCalc("Loop_C", "Loop_D + 1");
  const int32_t closing = NewCalc("Loop_D", "Loop_C * 2");
  EXPECT_EQ(UsedBy(waiting) + "/" + UsedBy(closing), "NULL/Loop_C");
  EXPECT_EQ(Stat(waiting), "S|The calculation uses itself through other calculations.");
  EXPECT_EQ(Stat(FieldId(kCell, "Call_Attempts")).substr(0, 2), "I|");
  EXPECT_EQ(Stat(0).substr(0, 2), "I|");
}

TEST_P(RoutinesTest, CommonFieldsAddUpdateRemove) {
  auto add = [&](int32_t entity, const char* name) {
    return Run("ea_client.add_common_field", {Variant(), entity, name, "Electrical tilt", "Tilt", "Degrees",
                                              Variant(), "AVG", "F", Variant(), 2, Variant(), 2})
        .outputs.at(1)
        .ToInt32();
  };
  const int32_t id = add(kSampleSectorEntity, "Antenna_Tilt");
  EXPECT_EQ(Field(id,
                  "Name, Entity_Id, DataSource_ID, Field_Group_Short, Field_Desc, Report_Header2, "
                  "Field_Aggregator, Field_Owner, Tech_Mask"),
            "Antenna_Tilt|13|2|Common|Electrical tilt|Degrees|AVG|2|2");
  Run("ea_client.update_common_field",
      {id, "Mechanical tilt", "Mech", "Tilt", "MAX", Variant(), 3, Variant(), 6, "I"});
  EXPECT_EQ(Field(id, "Name, Field_Desc, Report_Header, Field_Aggregator, Field_Owner, Tech_Mask, DataType"),
            "Antenna_Tilt|Mechanical tilt|Mech|MAX|3|6|I");
  Run("ea_client.remove_common_field", {id});
  EXPECT_EQ(Count("tqd_Dict_Name WHERE Field_Id = " + std::to_string(id)), 0);
  EXPECT_THROW(add(kCell, "call_attempts"), AutomationError);
}

TEST_P(RoutinesTest, RoutineNamesAndSequences) {
  EXPECT_TRUE(HasRoutine("TQ_DICTIONARY.new_udc_f"));
  EXPECT_FALSE(HasRoutine("tq_Dictionary.Rename_UDC"));
  EXPECT_THROW(Run("tq_Dictionary.Rename_UDC", {1}), AutomationError);
  EXPECT_EQ(sample_->NextSequenceNumber("sq_busyhour"), 8);  // the sample's busy hours end at 7
  EXPECT_EQ(sample_->NextSequenceNumber("SQ_BusyHour"), 9);
  EXPECT_THROW(sample_->NextSequenceNumber("SQ_Nothing"), AutomationError);
  // A field id already taken (here by hand) is skipped.
  const int64_t next = sample_->NextSequenceNumber("SQ_Field") + 1;
  Exec("INSERT INTO tqd_Dict_Field (Field_Id, DataSource_ID, DataType, Field_Group_Short) VALUES (" +
       std::to_string(next) + ", 2, 'I', 'Peg')");
  EXPECT_EQ(NewCalc("After_Gap", "1"), next + 1);
}

TEST_P(RoutinesTest, EntityNamesAndLabelsInSources) {
  EXPECT_EQ(
      Asked("SELECT ea_dd.ea_replace_entity_names('100 * CellSite.Minutes_Of_Use / "
            "NULLIF(cellsite.X, 0) || ''CellSite.quoted'' + PagingArea.Zone_Pages + CellSiteX.Y') FROM dual"),
      "100 * Cell.Minutes_Of_Use / NULLIF(Cell.X, 0) || 'CellSite.quoted' + Paging Area.Zone_Pages + "
      "CellSiteX.Y");
  EXPECT_EQ(Asked("SELECT ea_dd.ea_replace_entity_labels(3, 'Cell.A + Paging Area.Zone_Pages + Carrier "
                  "Equipment.T + Cells.B') FROM dual"),
            "CellSite.A + PagingArea.Zone_Pages + CellEqFace3GCDMACarrier.T + Cells.B");
  EXPECT_EQ(Asked("SELECT COALESCE(ea_dd.ea_replace_entity_names(NULL), 'null') FROM dual"), "null");
  // A relabelled entity is seen at once.
  Exec("UPDATE TQN_ENTITY SET Entity_Label = 'Site' WHERE Entity_Name = 'CellSite'");
  EXPECT_EQ(Asked("SELECT ea_dd.ea_replace_entity_names('CellSite.A') FROM dual"), "Site.A");
}

// A bulk load decides its calculations in memory before storing them; the result must be what
// the translation of the same rows once stored decides.
TEST_P(RoutinesTest, PendingCalculationsAreDecidedAsStoredOnes) {
  const std::vector<std::pair<std::string, std::string>> calcs = {
      {"P_1", "round(drop_rate, 1) + NVL(Block_Rate, 0) + nvl(p_counter, 0)"},
      {"P_2", "p_3 * 2"},                     // one further on
      {"P_3", "Call_Attempts + SMS_Failed"},  // Client's field beside Traffic's
      {"P_4", "P_5 + 1"},                     // a loop of two
      {"P_5", "P_4 * 2"},
      {"P_6", "CP_Fail_Count / P_Counter"},  // a field of a data source out of reach
      {"P_7", "FANCY(Call_Attempts)"},
      {"P_8", "P_8 + 1"},
      {"P_9", "CellSector.Minutes_Of_Use + P_2"},  // another entity's field
      {"P_10", "P_Counter + Drop_Rate"}};
  const int32_t first = 900001;
  auto id = [&](size_t i) { return first + static_cast<int32_t>(i); };
  const int32_t counter = id(calcs.size());
  struct Outcome {
    std::string status;
    std::string calcSource;
    std::vector<int32_t> uses;
    bool operator==(const Outcome&) const = default;
  };
  std::vector<Outcome> pending;
  {
    CalculationTranslator translator(*sample_);
    translator.AddPending({counter, kCell, 2, "P_Counter", false, ""});
    for (size_t i = 0; i < calcs.size(); ++i)
      translator.AddPending({id(i), kCell, 2, calcs[i].first, true, calcs[i].second});
    for (size_t i = 0; i < calcs.size(); ++i) translator.RebuildDependencies(id(i));
    for (size_t i = 0; i < calcs.size(); ++i) translator.Translate(id(i));
    for (size_t i = 0; i < calcs.size(); ++i) {
      const auto& d = translator.PendingOutcome(id(i));
      pending.push_back({d.status, d.calcSource.value_or("NULL"), d.uses});
      std::sort(pending.back().uses.begin(), pending.back().uses.end());
    }
    EXPECT_THROW(translator.PendingOutcome(counter), AutomationError);
  }
  EXPECT_EQ(Count("tqd_Dict_Field WHERE Field_Id >= " + std::to_string(first)), 0);

  auto store = [&](int32_t fieldId, const std::string& name, const char* group, const std::string& source) {
    const std::string i = std::to_string(fieldId);
    Exec(
        "INSERT INTO tqd_Dict_Field (Field_Id, DataSource_ID, DataType, Field_Group_Short, Status) VALUES (" +
        i + ", 2, 'F', '" + group + "', 'U')");
    Exec("INSERT INTO tqd_Dict_Name (Field_Id, NameSpace_Id, Entity_Id, Name) VALUES (" + i + ", 0, " +
         std::to_string(kCell) + ", '" + name + "')");
    if (!source.empty())
      Exec("INSERT INTO TQD_UDC_DEF (Field_Id, UDC_SOURCE) VALUES (" + i + ", '" + source + "')");
  };
  store(counter, "P_Counter", "Peg", "");
  for (size_t i = 0; i < calcs.size(); ++i) store(id(i), calcs[i].first, "UDC", calcs[i].second);
  CalculationTranslator translator(*sample_);
  for (size_t i = 0; i < calcs.size(); ++i) translator.RebuildDependencies(id(i));
  for (size_t i = 0; i < calcs.size(); ++i) translator.Translate(id(i));
  for (size_t i = 0; i < calcs.size(); ++i) {
    const std::string where = " WHERE Field_Id = " + std::to_string(id(i));
    Outcome stored{Value("SELECT Status FROM tqd_Dict_Field" + where),
                   Value("SELECT CALC_SOURCE FROM TQD_UDC_DEF" + where),
                   {}};
    for (const std::string& child :
         testing::Rows(*sample_, "SELECT child_field_id FROM tqd_dict_field_depend WHERE parent_field_id = " +
                                     std::to_string(id(i)) + " ORDER BY 1")) {
      stored.uses.push_back(std::stoi(child));
    }
    EXPECT_EQ(pending[i], stored) << calcs[i].first << ": " << pending[i].status << " "
                                  << pending[i].calcSource << " / " << stored.status << " "
                                  << stored.calcSource;
  }
  // What both decided, in brief.
  std::string statuses;
  for (const Outcome& o : pending) statuses += o.status;
  EXPECT_EQ(statuses, "TTTSSSSSTT");
  EXPECT_EQ(pending[1].calcSource, "F" + std::to_string(id(2)) + " * 2");
  EXPECT_EQ(pending[3].uses, std::vector<int32_t>{id(4)});  // the use closing the loop is left out
  EXPECT_EQ(pending[4].uses, std::vector<int32_t>{});
}

RIDIRODEV_ON_EVERY_ENGINE(RoutinesTest);

}  // namespace
}  // namespace ridirodev::standalone
