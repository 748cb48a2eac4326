#include "ridirodev/store/dictionary_statements.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "testing/errors.h"
#include "testing/services.h"

namespace ridirodev::sql {
namespace {

using testing::ErrorOf;

// The field statements' select lists, piece by piece as designed.
const std::string kSourceSelect =
    std::string("SELECT d.Field_Id, d.Entity_ID, d.Name, d.Report_Header, d.Report_Header2, ") +
    "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator," +
    "d.Field_Emits_Aggregator, d.Calc_Source, d.UDC_Source, d.Length, Precision, " +
    "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ";
const std::string kSourceSelectExtended =
    std::string("SELECT d.Field_Id, d.Entity_ID,d.Name, d.Report_Header, d.Report_Header2, ") +
    "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator," +
    "d.Field_Emits_Aggregator, d.Calc_Source,ea_dd.ea_replace_entity_names(d.UDC_Source) UDC_Source," +
    "d.Length, Precision, d.Is_Null_OK, d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ";
const std::string kFrom = "FROM tqd_Datasource_Field d ";
const std::string kOrder = " order by d.Entity_Id";
const std::string kStyleWhere = " AND d.Field_Id = c.Field_Id (+) ";

const FieldColumnOptions kNoOptions{};
const FieldColumnOptions kAllOptions{true, true, true};

// One case per statement shape, each built by its builder.
TEST(DictionaryStatementsTest, StatementTexts) {
  const std::string where7 = "WHERE d.DataSource_ID = 7";
  const std::string entitySelect =
      std::string("SELECT d.Field_Id, d.Name, d.Report_Header, d.Report_Header2, ") +
      "d.Field_Desc,d.DataType, d.Field_Owner,d.Field_Group_Short, d.Field_Aggregator," +
      "d.Length, Precision,d.Is_Null_OK ,d.Tech_Mask, d.Changed, d.Status ";
  const std::string byIdSelect =
      std::string("SELECT d.Field_Id, d.Name, d.Entity_ID,d.DataSource_ID, d.Report_Header, d.Report_Header2, ") +
      "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator," +
      "d.Field_Emits_Aggregator, d.Calc_Source,d.UDC_Source, d.Length, Precision," +
      "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ";
  const std::pair<std::string, std::string> cases[] = {
      // A quote in a name is doubled, never ending the literal.
      {EntityIdByNameStatement("x' OR '1'='1"),
       "SELECT entity_id FROM TQN_ENTITY WHERE entity_name = 'x'' OR ''1''=''1'"},
      {AppGroupTemplatesStatement({"'Client'", "'Traffic'", "'UDR'"}),
       "SELECT DataSource_Id, DataSource_Name, DataSource_APP_CTX FROM TQD_Data_Source WHERE DataSource_Name "
       "IN ( "
       "'Client','Traffic','UDR' ) "},
      {TechnologyTypesStatement(), "SELECT Tech_Name,Tech_Char,Tech_Mask,Tech_Desc FROM TQD_Technology_Mask"},
      {FieldTypesStatement(false, 12),
       "SELECT Field_Group_Id,Field_Group_Short,Field_Group_Name FROM tqd_Application_Field_Group "
       "WHERE DataSource_ID = 12"},
      {FieldTypesStatement(true, 12),
       "SELECT Field_Group_Id,Field_Group_Short,Field_Group_Name FROM tqd_Field_Group "},
      {AggregatorsStatement(), "SELECT * FROM TQD_Aggregator"},
      {ExtraColumnsStatement(-3), "SELECT * FROM TQD_DataSource_Extra_Cols WHERE DataSource_ID = -3"},
      {TemplateCategoriesStatement(true, 4),
       "SELECT Entity_Id,Entity_Label,Entity_Name,Entity_Desc, Can_Rpt FROM ea_tqn_entity_hier WHERE "
       "Context_Id = 4 "
       "AND type in('System','Entity')"},
      {TemplateCategoriesStatement(false, 4),
       "SELECT Entity_Id,Entity_Name,Entity_Desc, Can_Rpt FROM TQN_Entity_Hier WHERE Context_Id = 4"},
      {EntityTreeStatement(true, true, "Traffic"),
       std::string("SELECT Entity_Id,Parent_Entity_Id,Entity_Name,Entity_Label,") +
           "Context_Id,Entity_Desc,Can_Sum,Can_Rpt,Type,Depth " + "FROM EA_TQN_ENTITY_HIER " +
           "WHERE Context_Id IN (" + "SELECT DataSource_App_CTX " + "FROM TQD_Data_Source " +
           "WHERE DataSource_Name = '" + "Traffic" + "') " + "ORDER BY Depth"},
      {EntityTreeStatement(false, true, "O'Hare"),
       std::string("SELECT Entity_Id,Parent_Entity_Id,Entity_Name,") +
           "Context_Id,Entity_Desc,Can_Sum, Can_Rpt " + ", Context_Entity_Label " + "FROM TQN_Entity_Hier " +
           "WHERE Context_Id IN (" + "SELECT DataSource_App_CTX " + "FROM TQD_Data_Source " +
           "WHERE DataSource_Name = '" + "O''Hare" + "') "},
      {EntityTreeStatement(false, false, "Traffic"),
       std::string("SELECT Entity_Id,Parent_Entity_Id,Entity_Name,") +
           "Context_Id,Entity_Desc,Can_Sum, Can_Rpt " + "FROM TQN_Entity_Hier " + "WHERE Context_Id IN (" +
           "SELECT DataSource_App_CTX " + "FROM TQD_Data_Source " + "WHERE DataSource_Name = '" + "Traffic" +
           "') "},
      {FieldCategoriesStatement(true, 5),
       "SELECT * FROM ea_tqn_Entity_Hier WHERE Context_Id = 5 AND Type IN('System','Entity') ORDER BY Depth"},
      {FieldCategoriesStatement(false, 5), "SELECT * FROM TQN_Entity_Hier WHERE Context_Id = 5"},
      {FunctionCategoriesStatement(), "SELECT * FROM TQE_Function_Type"},
      {FunctionsStatement(), "SELECT * FROM TQE_Function"},
      {EnumFieldIdsStatement(), "SELECT DISTINCT field_id FROM TQD_ENUM_VALUES"},
      {EnumValuesStatement(), "SELECT * FROM TQD_ENUM_VALUES"},
      {EnumValuesFilter(301), "FIELD_ID = 301"},
      {UDRKeyCountStatement(), "select count (*) RowCount from tqd_udr_keys"},
      {UDRKeysStatement(),
       "Select a.entity_id, a.field_seq, d.name FROM tqd_udr_keys a, tqd_dict_name d "
       "Where a.Field_id = d.Field_id AND d.Namespace_Id = 0 ORDER BY entity_id, field_seq"},
      {DataSourceFieldsStatement("", 7, kAllFields, false, kNoOptions, {}),
       kSourceSelect + kFrom + where7 + kOrder},
      // Any selection other than one kind alone reads both.
      {DataSourceFieldsStatement("", 7, 0, false, kNoOptions, {}), kSourceSelect + kFrom + where7 + kOrder},
      {DataSourceFieldsStatement("", 7, kStaticFieldsOnly, true, kNoOptions, {}),
       kSourceSelectExtended + kFrom + where7 + " AND d.Field_Group_Short <> 'UDC' " + kOrder},
      // Every optional part at once, each in its place, extra columns numbered in order.
      {DataSourceFieldsStatement(" 31 ,32", 7, kExpressionsOnly, false, kAllOptions,
                                 {{"A", 400}, {"N", 55}, {"a", 56}}),
       kSourceSelect +
           ", d.Complex ,d.weight_field_id ,c.FontStyleMask, c.FontColor ,a1.Name v1 ,a2.DataValue v2 " +
           ",a3.DataValue v3 " + kFrom + ", tqd_field_style c ,tqd_Dict_Name a1 ,tqd_Field_Data a2 " +
           ",tqd_Field_Data a3 " + where7 + " AND d.Field_Group_Short = 'UDC' " + kStyleWhere +
           " AND d.Entity_Id in (31,32)  AND d.Field_Id = a1.Field_Id (+) AND a1.Namespace_Id (+) = 400  AND "
           "d.Field_Id = a2.Field_Id (+) AND a2.DataSet_ID (+) = 55  AND d.Field_Id = a3.Field_Id (+) AND "
           "a3.DataSet_ID (+) = 56 " +
           kOrder},
      {EntityFieldsStatement(9, kNoOptions), entitySelect + kFrom + "WHERE d.Entity_ID = 9"},
      {EntityFieldsStatement(9, kAllOptions),
       entitySelect + ", d.Complex ,d.weight_field_id ,c.FontStyleMask, c.FontColor " + kFrom +
           ", tqd_field_style c WHERE d.Entity_ID = 9" + kStyleWhere},
      {FieldsByIdStatement("17", kNoOptions, {}), byIdSelect + kFrom + "WHERE d.Field_Id in (17) "},
      {FieldsByIdStatement("1, 2", {false, false, true}, {{"X", 8}}),
       byIdSelect + ",c.FontStyleMask, c.FontColor ,a1.DataValue v1 " + kFrom +
           ", tqd_field_style c ,tqd_Field_Data a1 WHERE d.Field_Id in (1,2) " + kStyleWhere +
           " AND d.Field_Id = a1.Field_Id (+) AND a1.DataSet_ID (+) = 8 "},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].first, cases[i].second);
  }
}

TEST(DictionaryStatementsTest, DataSourceNamesFollowTheFeatureSwitches) {
  testing::TestFeatures features;
  EXPECT_EQ(DataSourceNames(features), (std::vector<std::string>{"Client", "Traffic"}));
  for (const char* feature : {"PCMD_Group", "DOCPFail_Group", "EVDO_PCMD_Group", "CPFail_Group", "UDR_Group",
                              "FlexibleAggregation"}) {
    features.Set(feature, true);
  }
  EXPECT_EQ(DataSourceNames(features),
            (std::vector<std::string>{"Client", "Traffic", "UDR", "CPFail Count", "CPFail Message", "CPFail Handoff",
                                      "EVDO PCMD Message", "DOCPFail Count", "DOCPFail Message", "PCMD Count",
                                      "PCMD Message"}));
}

TEST(DictionaryStatementsTest, TemplateCategoriesComeFromEntitiesOnlyForTwoApplications) {
  for (const char* app : {"Traffic", "PCMD Message"}) EXPECT_TRUE(TemplateCategoriesFromEntities(app)) << app;
  for (const char* app : {"Client", "PCMD Count", "EVDO PCMD Message", "traffic", ""})
    EXPECT_FALSE(TemplateCategoriesFromEntities(app)) << app;
}

TEST(DictionaryStatementsTest, IdListsAreNormalisedOrFailBeforeAnyTextIsMade) {
  const std::pair<const char*, const char*> good[] = {
      {" 5 ", "5"}, {" 1 ,\t2 , 3", "1,2,3"}, {"007,-0", "7,0"}, {"2147483647,-2147483648", "2147483647,-2147483648"}};
  for (const auto& [in, out] : good) EXPECT_EQ(ValidIdList(in), out) << '"' << in << '"';
  for (const char* bad : {"", " ", ",", "1,", ",1", "1,,2", "1 2", "+1", "- 1", "1.5", "1e3", "0x10", "abc",
                          "1) OR (1=1", "1;DELETE FROM TQD_Aggregator", "2147483648", "-2147483649", "1\n"}) {
    EXPECT_EQ(ErrorOf([&] { ValidIdList(bad); }), ErrorNumber::kInvalidArgument) << '"' << bad << '"';
  }
  // Both statements that take a list check it; a blank entity list is not the empty one.
  EXPECT_EQ(ErrorOf([] { FieldsByIdStatement("1) OR (1=1", kNoOptions, {}); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([] { DataSourceFieldsStatement(" ", 1, kAllFields, false, kNoOptions, {}); }),
            ErrorNumber::kInvalidArgument);
  try {
    ValidIdList("4, 5x ,6");
    FAIL() << "accepted";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Description(),
              "Invalid id list: item 2 (\"5x\") is not an integer; ids must be integers separated by commas.");
  }
}

TEST(DictionaryStatementsTest, DataFilesOfOneEntityOrAllWithTheirAvailability) {
  EXPECT_EQ(DataFilesStatement(true, false, 42),
            "SELECT d.field_id,c.file_type_id,c.file_type,c.frequency,c.FREQUENCY_ID,c.FILE_DESCRIPTION,b.entity_label "
            "entity_name,b.entity_id,c.vendor,c.OFFSET_MINUTES FROM tqn_entity a,tqn_entity b,tq_file_control "
            "c,tqd_dict_name d Where a.entity_id = 42 AND b.module_id=a.module_id AND b.version_id=a.version_id AND "
            "c.entity_id=b.entity_id AND d.entity_id=b.entity_id AND UPPER(b.can_report) = 'Y' AND "
            "d.name=availabledatareporting.tocalcfieldname(c.file_type) ORDER BY c.file_type");
  EXPECT_EQ(DataFilesStatement(false, true, 42),
            "SELECT d.field_id, a.file_type_id, a.file_type, a.frequency, a.FREQUENCY_ID, a.FILE_DESCRIPTION, "
            "a.entity_name, a.ENTITY_ID, a.vendor, a.OFFSET_MINUTES, b.min_partition_date first,b.max_partition_date "
            "Last FROM tq_file_control a, tq_min_partition b, tqd_dict_name d, tqn_entity_hier e, tqn_context c WHERE "
            "a.file_type_id = b.file_type_id (+) AND a.entity_id = d.entity_id AND d.entity_id = e.entity_id AND "
            "e.context_id = c.context_id AND UPPER(e.can_rpt) = 'Y' AND UPPER(c.context_name) = UPPER( 'Data "
            "Availability' ) AND d.name = availabledatareporting.tocalcfieldname(a.file_type) ORDER BY a.file_type");
  EXPECT_EQ(DataFilesStatement(false, false, 42),
            "SELECT d.field_id, a.file_type_id, a.file_type, a.frequency , a.FREQUENCY_ID, a.FILE_DESCRIPTION, "
            "a.entity_name, a.ENTITY_ID , a.vendor, a.OFFSET_MINUTES , MIN(b.timestamp)first , MAX(b.timestamp) last "
            "FROM tq_file_control a , tq_available_data b , tqd_dict_name d , tqn_entity_hier e , AVA_MAP m WHERE "
            "a.file_type_id = b.file_type_id (+) AND a.file_type_id = m.file_type_id AND d.entity_id = a.entity_id AND "
            "e.entity_id = d.entity_id AND UPPER(e.can_rpt) ='Y' AND d.name = "
            "availabledatareporting.tocalcfieldname(a.file_type) GROUP BY d.field_id,a.file_type_id, a.file_type, "
            "a.frequency , a.FREQUENCY_ID , a.FILE_DESCRIPTION , a.entity_name ,a.ENTITY_ID ,a.vendor "
            ",a.OFFSET_MINUTES ORDER BY a.file_type");
}

}  // namespace
}  // namespace ridirodev::sql
