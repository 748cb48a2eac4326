#include "ridirodev/model/data_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ridirodev/core/date.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using DataFilesTest = testing::HostTest;

TEST_F(DataFilesTest, KeysAreFileTypeIdsWhileNumbersArePositions) {
  CDataFiles files;
  for (int32_t id = 1; id <= 17; ++id)
    files.Add(100 + id, id, "T" + std::to_string(id), "Hourly", 1, "V", "");
  files.Add(300, 40, "Shared", "Daily", 2, "V", "");
  files.Add(301, 41, "Shared", "Daily", 2, "V", "");
  files.Add(301, 42, "~1~", "Daily", 2, "V", "");
  EXPECT_EQ(testing::ErrorOf([&] { files.Add(1, 17, "Again", "", 0, "", ""); }), ErrorNumber::kDuplicateKey);

  EXPECT_EQ(files.Item(Variant(17))->Key(), "17~");
  EXPECT_EQ(files.Item(Variant(18))->FileTypeId(), 40);  // a position
  for (const Variant& v : {Variant(40), Variant("40"), Variant("40~"), Variant(40.0)})
    EXPECT_TRUE(files.Exists(v)) << v.ToString();
  for (const Variant& v : {Variant(43), Variant("Shared"), Variant(1e12), Variant(), Variant("~")})
    EXPECT_FALSE(files.Exists(v)) << v.ToString();

  // id, key, exact name (the first of two), a key that is also a name, absent ones
  const std::pair<Variant, int32_t> fieldIds[] = {{Variant(17), 117},       {Variant("17~"), 117},
                                                  {Variant("Shared"), 300}, {Variant("shared"), 0},
                                                  {Variant("~1~"), 301},    {Variant(99), 0}};
  for (const auto& [asked, id] : fieldIds) EXPECT_EQ(files.FileToFieldID(asked), id) << asked.ToString();

  EXPECT_EQ(files.FieldIdToFile(301)->FileTypeId(), 41);
  files.Add(0, 50, "Unreported", "", 0, "", "");
  EXPECT_EQ(files.FieldIdToFile(0), nullptr);
  EXPECT_EQ(files.FieldIdToFile(-1), nullptr);
}

const std::string kPartitionStatement = sql::DataFilesStatement(false, true, 0);

// Scripted rows of the data-file statements, with the columns the database names them by.
testing::ScriptedRows FileRows(std::vector<std::vector<Variant>> rows) {
  return {{"field_id", "file_type_id", "file_type", "frequency", "FREQUENCY_ID", "FILE_DESCRIPTION",
           "entity_name", "ENTITY_ID", "vendor", "OFFSET_MINUTES", "first", "Last"},
          std::move(rows)};
}

TEST_F(DataFilesTest, LoadSetsAvailabilityOnlyFromDatesAndIsReusedAsTheViewsAllow) {
  const Date first = Date::FromParts(2026, 1, 2, 3, 4, 5);
  db().AddTable("tq_min_partition", {"max_partition_date"});
  // A load that fails part-way (file type 1 twice) keeps nothing: the next call reads again.
  db().AddRows(kPartitionStatement, FileRows({{7, 1, "A", "", 1, "", "", 20, "", 0, first, first},
                                              {7, 1, "A", "", 1, "", "", 20, "", 0, first, first}}));
  db().AddRows(kPartitionStatement,
               FileRows({{7, 1, "A", "Hourly", 1, "desc", "Avail", 20, "V", 5, first, "2026-03-15 23:00:00"},
                         {8, 2, "B", "Daily", 2, "", "Avail", 20, "V", 0, Variant::Null(), "soon"}}));
  EXPECT_EQ(testing::ErrorOf([] { GRidirodev::DataFiles(12); }), ErrorNumber::kDuplicateKey);
  const CDataFilesPtr files = GRidirodev::DataFiles(12);
  ASSERT_EQ(files->Count(), 2);
  const CDataFilePtr a = files->Item(Variant("1~"));
  EXPECT_EQ(a->FieldId() + a->OffsetMinutes() + a->EntityId(), 7 + 5 + 20);
  EXPECT_EQ(a->Description() + a->EntityName() + a->Frequency(), "descAvailHourly");
  EXPECT_EQ(a->FirstAvailable() + "|" + a->LastAvailable(), "2026-01-02 03:04:05|2026-03-15 23:00:00");
  EXPECT_EQ(files->Item(Variant("2~"))->FirstAvailable() + files->Item(Variant("2~"))->LastAvailable(), "");
  EXPECT_EQ(files->EntityId(), 12);

  // Without the extended views one collection serves every entity.
  EXPECT_EQ(GRidirodev::DataFiles(13), files);
  host_->Support().SetExtendedEntityViews(true);
  EXPECT_EQ(GRidirodev::DataFiles(12), files);
  // The per-entity form has no availability columns; its entity name is the entity's label.
  testing::ScriptedRows labelled = FileRows({{9, 3, "C", "Hourly", 1, "", "Sector", 13, "V", 0}});
  labelled.columns.resize(10);
  db().AddRows(sql::DataFilesStatement(true, false, 13), labelled);
  const CDataFilesPtr other = GRidirodev::DataFiles(13);
  EXPECT_NE(other, files);
  EXPECT_EQ(other->EntityId(), 13);
  EXPECT_EQ(other->Item(Variant(1))->EntityName() + other->Item(Variant(1))->FirstAvailable(), "Sector");
  EXPECT_EQ(GRidirodev::DataFiles(13), other);
  const auto opened = db().Journal().Texts(testing::DbCallKind::kOpen);
  EXPECT_EQ(std::count(opened.begin(), opened.end(), sql::DataFilesStatement(true, false, 13)), 1);
}

}  // namespace
}  // namespace ridirodev
