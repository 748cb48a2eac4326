#include "standalone/dialect.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::standalone {
namespace {

std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text += piece;
  return text;
}

// ---- The component's statements, built from their pieces ----

// Data-source fields, plain views, with the style join and two extra columns: one of kind "A"
// (namespace 7) and one of field data (data set 12).
std::string DataSourceFieldsStatement(bool extendedViews) {
  const std::string select =
      extendedViews
          ? Join(
                {"SELECT d.Field_Id, d.Entity_ID,d.Name, d.Report_Header, d.Report_Header2, ",
                 "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,",
                 "d.Field_Emits_Aggregator, d.Calc_Source,ea_dd.ea_replace_entity_names(d.UDC_Source) "
                 "UDC_Source,",
                 "d.Length, Precision, d.Is_Null_OK, d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status "})
          : Join({"SELECT d.Field_Id, d.Entity_ID, d.Name, d.Report_Header, d.Report_Header2, ",
                  "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,",
                  "d.Field_Emits_Aggregator, d.Calc_Source, d.UDC_Source, d.Length, Precision, ",
                  "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status "});
  return Join({select,
               ",c.FontStyleMask, c.FontColor ",
               ",a1.Name v1 ",
               ",a2.DataValue v2 ",
               "FROM tqd_Datasource_Field d ",
               ", tqd_field_style c ",
               ",tqd_Dict_Name a1 ",
               ",tqd_Field_Data a2 ",
               "WHERE d.DataSource_ID = ",
               "3",
               " AND d.Field_Id = c.Field_Id (+) ",
               " AND d.Entity_Id in (",
               "1,2",
               ") ",
               " AND d.Field_Id = a1.Field_Id (+) ",
               "AND a1.Namespace_Id (+) = ",
               "7",
               " ",
               " AND d.Field_Id = a2.Field_Id (+) ",
               "AND a2.DataSet_ID (+) = ",
               "12",
               " ",
               " order by d.Entity_Id"});
}
constexpr std::string_view kDataSourceFieldsJoins =
    "FROM tqd_Datasource_Field d LEFT JOIN tqd_field_style c ON d.Field_Id = c.Field_Id "
    "LEFT JOIN tqd_Dict_Name a1 ON d.Field_Id = a1.Field_Id AND a1.Namespace_Id = 7 "
    "LEFT JOIN tqd_Field_Data a2 ON d.Field_Id = a2.Field_Id AND a2.DataSet_ID = 12 "
    "WHERE d.DataSource_ID = 3 AND d.Entity_Id in (1,2) order by d.Entity_Id";

std::string FieldsByIdsStatement() {
  return Join({"SELECT d.Field_Id, d.Name, d.Entity_ID,d.DataSource_ID, d.Report_Header, d.Report_Header2, ",
               "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,",
               "d.Field_Emits_Aggregator, d.Calc_Source,d.UDC_Source, d.Length, Precision,",
               "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ", ", d.Complex ",
               ",d.weight_field_id ", ",c.FontStyleMask, c.FontColor ", ",a1.DataValue v1 ",
               "FROM tqd_Datasource_Field d ", ", tqd_field_style c ", ",tqd_Field_Data a1 ",
               "WHERE d.Field_Id in (", "1,2", ") ", " AND d.Field_Id = c.Field_Id (+) ",
               " AND d.Field_Id = a1.Field_Id (+) ", "AND a1.DataSet_ID (+) = ", "12", " "});
}

std::string CategoryBusyHoursStatement() {
  return Join({"SELECT b.Id, p.Id PABH_ID, p.FirstAvail PABH_FirstAvail, ",
               "p.LastAvail PABH_LastAvail, b.UserId, b.Name, b.Changed, ",
               "b.Cluster_Entity_Id, b.Field_Id, d.Name Field_Name, ",
               "b.Description, b.FirstNeeded, b.Span , b.MinRank, b.MaxRank, ",
               "b.FirstAvail, b.LastAvail, b.scenario_id ",
               ",b.Daily_Retention, b.Weekly_Retention, b.Monthly_Retention ",
               "FROM PM_BusyHour b, tqd_dict_name d ,PM_PABH p ", "WHERE b.Field_Id  IS NOT NULL AND ",
               "b.Cluster_Entity_Id =", "5", " AND ", "d.Field_Id = b.Field_Id AND ", "(p.ID (+) = b.ID)"});
}

std::string DataFilesPartitionStatement() {
  return Join(
      {"SELECT d.field_id, a.file_type_id, a.file_type,",
       " a.frequency, a.FREQUENCY_ID, a.FILE_DESCRIPTION, a.entity_name,",
       " a.ENTITY_ID, a.vendor, a.OFFSET_MINUTES, b.min_partition_date first,b.max_partition_date Last",
       " FROM tq_file_control a,", " tq_min_partition b,", " tqd_dict_name d,", " tqn_entity_hier e,",
       " tqn_context c", " WHERE a.file_type_id = b.file_type_id (+)", " AND a.entity_id = d.entity_id",
       " AND d.entity_id = e.entity_id", " AND e.context_id = c.context_id", " AND UPPER(e.can_rpt) = 'Y'",
       " AND UPPER(c.context_name) = UPPER( 'Data Availability' )",
       " AND d.name = availabledatareporting.tocalcfieldname(a.file_type)", " ORDER BY a.file_type"});
}

std::string DataFilesAvailableStatement() {
  return Join({"SELECT d.field_id, a.file_type_id, a.file_type, a.frequency ",
               ", a.FREQUENCY_ID, a.FILE_DESCRIPTION, a.entity_name, a.ENTITY_ID ",
               ", a.vendor, a.OFFSET_MINUTES ",
               ", MIN(b.timestamp)first ",
               ", MAX(b.timestamp) last ",
               "FROM tq_file_control a ",
               ", tq_available_data b ",
               ", tqd_dict_name d ",
               ", tqn_entity_hier e ",
               ", AVA_MAP m ",
               "WHERE a.file_type_id = b.file_type_id (+) ",
               "AND a.file_type_id = m.file_type_id ",
               "AND d.entity_id = a.entity_id ",
               "AND e.entity_id = d.entity_id ",
               "AND UPPER(e.can_rpt) ='Y' ",
               "AND d.name = availabledatareporting.tocalcfieldname(a.file_type) ",
               "GROUP BY d.field_id,a.file_type_id, a.file_type, a.frequency ",
               ", a.FREQUENCY_ID ",
               ", a.FILE_DESCRIPTION ",
               ", a.entity_name ",
               ",a.ENTITY_ID ",
               ",a.vendor ",
               ",a.OFFSET_MINUTES ",
               "ORDER BY a.file_type"});
}

// RCV forms: the simple query and the union over the mapping table.
std::string RcvSimpleStatement() {
  return Join(
      {"SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, dn.Name fieldName, ",
       "dn.Entity_Id , e.Entity_Name ", "FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e ",
       "WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = "
       "'RCVFormName' ) ",
       "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 ", "AND dn.Entity_ID = e.Entity_ID ",
       "ORDER BY RCVFormName, RCVFieldName"});
}
std::string RcvUnionStatement() {
  constexpr std::string_view w =
      "WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' "
      ") ";
  return Join(
      {"SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id,dn.Name fieldName, "
       "dn.Entity_Id, e.Entity_Name, ",
       "f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, pel_rcvform_entity "
       "f ",
       w,
       "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = e.Entity_ID AND "
       "fd.Datavalue = f.rcvformname ",
       "and  ( (dn.report_header2  != 'deter_thresh' and fd.datavalue = 'ceqface3g')  and  "
       "(dn.report_header2  != 'enable_thresh' and fd.datavalue = 'ceqface3g') ) ",
       "Union ",
       "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, ",
       "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, ",
       "'CellEqFace3GCDMACarrier' HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, "
       "pel_rcvform_entity f ",
       w,
       "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID =e.Entity_ID AND "
       "fd.Datavalue = f.rcvformname ",
       "and (dn.report_header2   in ('deter_thresh','enable_thresh') and fd.dataValue='ceqface3g') ",
       "Union ",
       "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, ",
       "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, ",
       "f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity  e, "
       "pel_rcvform_entity f ",
       w,
       "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = ",
       "e.Entity_ID AND fd.Datavalue = f.rcvformname   and fd.datavalue != 'ceqface3g' ",
       "ORDER BY RCVFormName, RCVFieldName"});
}

// ---- Translated text ----

TEST(DialectOuterJoinTest, FieldStatementsGetOneLeftJoinPerOptionalTable) {
  std::string plain = DataSourceFieldsStatement(false);
  EXPECT_EQ(TranslateDialect(plain),
            plain.substr(0, plain.find("FROM")) + std::string(kDataSourceFieldsJoins));

  std::string extended = TranslateDialect(DataSourceFieldsStatement(true));
  EXPECT_NE(extended.find("d.Calc_Source,ea_dd__ea_replace_entity_names(d.UDC_Source) UDC_Source,"),
            std::string::npos);
  EXPECT_TRUE(extended.ends_with(kDataSourceFieldsJoins)) << extended;

  EXPECT_TRUE(
      TranslateDialect(FieldsByIdsStatement())
          .ends_with("v1 FROM tqd_Datasource_Field d LEFT JOIN tqd_field_style c ON d.Field_Id = c.Field_Id "
                     "LEFT JOIN tqd_Field_Data a1 ON d.Field_Id = a1.Field_Id AND a1.DataSet_ID = 12 "
                     "WHERE d.Field_Id in (1,2) "));
}

TEST(DialectOuterJoinTest, ParenthesizedConditionAndGroupByAreHandled) {
  EXPECT_TRUE(TranslateDialect(CategoryBusyHoursStatement())
                  .ends_with("b.Monthly_Retention FROM PM_BusyHour b, tqd_dict_name d LEFT JOIN PM_PABH p ON "
                             "p.ID = b.ID WHERE b.Field_Id  IS NOT NULL AND b.Cluster_Entity_Id =5 AND "
                             "d.Field_Id = b.Field_Id"));

  const std::string partition = TranslateDialect(DataFilesPartitionStatement());
  EXPECT_TRUE(partition.ends_with(
      " FROM tq_file_control a, tqd_dict_name d, tqn_entity_hier e, tqn_context c LEFT JOIN tq_min_partition "
      "b ON "
      "a.file_type_id = b.file_type_id WHERE a.entity_id = d.entity_id AND d.entity_id = e.entity_id AND "
      "e.context_id = c.context_id AND UPPER(e.can_rpt) = 'Y' AND UPPER(c.context_name) = UPPER( 'Data "
      "Availability' ) AND d.name = availabledatareporting__tocalcfieldname(a.file_type) ORDER BY "
      "a.file_type"))
      << partition;

  const std::string available = TranslateDialect(DataFilesAvailableStatement());
  EXPECT_NE(
      available.find(", MIN(b.timestamp)first , MAX(b.timestamp) last FROM tq_file_control a, tqd_dict_name "
                     "d, tqn_entity_hier e, AVA_MAP m LEFT JOIN tq_available_data b ON a.file_type_id = "
                     "b.file_type_id WHERE a.file_type_id = m.file_type_id AND "),
      std::string::npos)
      << available;
  EXPECT_TRUE(
      available.ends_with("availabledatareporting__tocalcfieldname(a.file_type) GROUP BY d.field_id,"
                          "a.file_type_id, a.file_type, a.frequency , a.FREQUENCY_ID , a.FILE_DESCRIPTION , "
                          "a.entity_name ,a.ENTITY_ID ,a.vendor ,a.OFFSET_MINUTES ORDER BY a.file_type"));
}

TEST(DialectOuterJoinTest, LayoutCaseAliasesAndOrderVary) {
  // Keywords in any case, line breaks, tables without alias, the marker on either side.
  EXPECT_EQ(TranslateDialect("select PM_BusyHour.Id\n  from PM_BusyHour,\n\tPM_PABH\n where\n"
                             "  PM_BusyHour.ID = PM_PABH.ID(+)\n  and PM_BusyHour.Span = 'x'\n"),
            "select PM_BusyHour.Id\n  from PM_BusyHour LEFT JOIN PM_PABH ON PM_BusyHour.ID = PM_PABH.ID "
            "where PM_BusyHour.Span = 'x'\n");
  // A table whose ON clause names another outer-joined table follows it.
  EXPECT_EQ(TranslateDialect("SELECT * FROM a x, c z, b y WHERE z.k (+) = y.k AND y.k(+)=x.k"),
            "SELECT * FROM a x LEFT JOIN b y ON y.k=x.k LEFT JOIN c z ON z.k = y.k");
  // Nested parentheses open up; other conditions keep theirs; a subquery is translated alone.
  EXPECT_EQ(
      TranslateDialect(
          "SELECT 1 FROM a x, b y WHERE ((y.k (+) = x.k AND y.n (+) = 1)) AND (x.q = 1 OR "
          "x.q = 2) AND x.z BETWEEN 1 AND 2 AND x.w IN (SELECT u.w FROM u, v WHERE v.w (+) = u.w)"),
      "SELECT 1 FROM a x LEFT JOIN b y ON y.k = x.k AND y.n = 1 WHERE (x.q = 1 OR x.q = 2) AND x.z BETWEEN "
      "1 AND 2 AND x.w IN (SELECT u.w FROM u LEFT JOIN v ON v.w = u.w)");
  // AND inside BETWEEN and CASE is no separator between conditions.
  EXPECT_EQ(TranslateDialect("SELECT 1 FROM a x, b y WHERE x.z BETWEEN y.lo (+) AND y.hi (+) AND CASE WHEN "
                             "x.q = 1 AND y.k (+) = 2 THEN 1 END = 1 AND x.q BETWEEN 1 AND 2"),
            "SELECT 1 FROM a x LEFT JOIN b y ON x.z BETWEEN y.lo AND y.hi AND CASE WHEN x.q = 1 AND y.k = 2 "
            "THEN 1 END = 1 WHERE x.q BETWEEN 1 AND 2");
  // A line comment moved before other text cannot hide it.
  EXPECT_EQ(TranslateDialect("SELECT 1 FROM a x, b y WHERE y.k (+) = x.k -- note"),
            "SELECT 1 FROM a x LEFT JOIN b y ON y.k = x.k -- note\n");
}

TEST(DialectRewriteTest, UniqueCallsAndSysdate) {
  EXPECT_EQ(
      TranslateDialect(Join({"SELECT UNIQUE TemplateId FROM PM_TemplateField WHERE ", "Field_Id=", "5"})),
      "SELECT DISTINCT TemplateId FROM PM_TemplateField WHERE Field_Id=5");
  EXPECT_EQ(
      TranslateDialect("Select Unique parent_field_id, child_field_id from tqd_dict_field_depend Where "
                       "child_field_id IN (1,2 )"),
      "Select Distinct parent_field_id, child_field_id from tqd_dict_field_depend Where child_field_id IN "
      "(1,2 )");
  EXPECT_EQ(TranslateDialect("select unique x from t"), "select distinct x from t");
  EXPECT_EQ(TranslateDialect("CREATE UNIQUE INDEX i ON t (x)"), "CREATE UNIQUE INDEX i ON t (x)");

  // Only a name that is no table or alias of the statement is a package.
  EXPECT_EQ(TranslateDialect("SELECT Pkg.Fn (c.FontColor), d.f(1), EA_DD.x.y FROM t d, tqd_field_style c"),
            "SELECT pkg__fn (c.FontColor), d.f(1), EA_DD.x.y FROM t d, tqd_field_style c");
  EXPECT_EQ(QualifiedFunctionName("ea_dd.ea_replace_entity_labels"), "ea_dd__ea_replace_entity_labels");
  EXPECT_EQ(QualifiedFunctionName("AvailableDataReporting", "ToCalcFieldName"),
            "availabledatareporting__tocalcfieldname");

  EXPECT_EQ(TranslateDialect("SELECT Id FROM t WHERE sysdate -  Changed <= 2 AND SYSDATE - 1/24 < t.b AND "
                             "t.c < SysDate"),
            "SELECT Id FROM t WHERE (julianday('now','localtime') -  julianday(Changed)) <= 2 AND "
            "datetime(julianday('now','localtime') - (1/24)) < t.b AND t.c < datetime('now','localtime')");

  // Quoted text is never touched; Oracle operators SQLite knows pass as they are.
  const std::string untouched =
      "SELECT 'It''s sysdate (+) a.b(' || \"SELECT UNIQUE\".\"sysdate\", count (*) n, UPPER(x) FROM t "
      "WHERE x IS NULL AND y IN (1,2)";
  EXPECT_EQ(TranslateDialect(untouched), untouched);
  EXPECT_EQ(TranslateDialect(RcvSimpleStatement()), RcvSimpleStatement());
  EXPECT_EQ(TranslateDialect(RcvUnionStatement()), RcvUnionStatement());
}

TEST(DialectRewriteTest, OrderByNamesMeanTheSelectedColumns) {
  // Both tables have entity_id: Oracle sorts by the selected one, SQLite must be told which.
  EXPECT_EQ(TranslateDialect("Select a.entity_id, a.field_seq, d.name FROM tqd_udr_keys a, tqd_dict_name d "
                             "Where a.Field_id = d.Field_id ORDER BY entity_id, field_seq"),
            "Select a.entity_id, a.field_seq, d.name FROM tqd_udr_keys a, tqd_dict_name d "
            "Where a.Field_id = d.Field_id ORDER BY a.entity_id, a.field_seq");
  // Aliases, expressions, qualified terms and names selected from two tables stay; DISTINCT
  // and outer joins do not hide the select list; a subquery is handled on its own.
  EXPECT_EQ(TranslateDialect("SELECT DISTINCT x.k, y.n, x.n, x.v k2 FROM a x, b y WHERE y.k (+) = x.k "
                             "ORDER BY k DESC, n, k2, UPPER(k), y.k"),
            "SELECT DISTINCT x.k, y.n, x.n, x.v k2 FROM a x LEFT JOIN b y ON y.k = x.k "
            "ORDER BY x.k DESC, n, k2, UPPER(k), y.k");
  EXPECT_EQ(TranslateDialect("SELECT * FROM t WHERE v IN (SELECT u.v FROM u, w ORDER BY v) ORDER BY v"),
            "SELECT * FROM t WHERE v IN (SELECT u.v FROM u, w ORDER BY u.v) ORDER BY v");
  // A compound query sorts by its result columns, which SQLite resolves the same way.
  const std::string compound = "SELECT a.k FROM a, b UNION SELECT c.k FROM c ORDER BY k";
  EXPECT_EQ(TranslateDialect(compound), compound);
}

TEST(DialectErrorTest, UntranslatableTextFailsWithReasonAndStatement) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"SELECT 1 FROM a x, b y WHERE y.k (+) = x.k OR x.k = 1", "OR"},
      {"SELECT 1 FROM a x, b y WHERE k (+) = x.k", "qualified"},
      {"SELECT 1 FROM a x, b y WHERE z.k (+) = x.k", "not in the FROM list"},
      {"SELECT 1 FROM a x, b y WHERE y.k (+) = x.k (+)", "two tables"},
      {"SELECT 1 FROM a x, b y WHERE y.k (+) = 1 AND x.k (+) = 2", "not outer-joined"},
      {"SELECT 1 FROM a x, b y, c z WHERE y.k (+) = z.k AND z.k (+) = y.k AND x.k = 1", "cycle"},
      {"SELECT 1 FROM a x JOIN b y ON 1=1 WHERE y.k (+) = x.k", "JOIN"},
      {"SELECT y.k (+) FROM a x, b y WHERE y.k = x.k", "outside the WHERE"},
      {"UPDATE b SET k = 1 WHERE b.k (+) = 1", "outside the WHERE"},
      {"SELECT s.p.f(1) FROM t", "more than two parts"},
      {"SELECT 1 - sysdate FROM t", "sysdate"},
      {"SELECT 'open FROM t", "unterminated string"},
      {"SELECT (1 FROM t", "unbalanced"},
  };
  for (const auto& [sql, reason] : cases) {
    try {
      TranslateDialect(sql);
      ADD_FAILURE() << "no error for " << sql;
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.Number(), ErrorNumber::kInvalidArgument);
      EXPECT_EQ(e.Source(), "SqliteDatabase");
      EXPECT_NE(e.Description().find(reason), std::string::npos) << e.Description();
      EXPECT_NE(e.Description().find(sql), std::string::npos) << e.Description();
    }
  }
}

TEST(DialectLargeInputTest, LongIdListsPassThrough) {
  std::string ids;
  for (int id = 1; id <= 100000; ++id) ids += (id > 1 ? "," : "") + std::to_string(id);
  const std::string plain = "SELECT d.Name FROM tqd_Datasource_Field d WHERE d.Field_Id in (" + ids + ") ";
  EXPECT_EQ(TranslateDialect(plain), plain);
  EXPECT_EQ(
      TranslateDialect("SELECT d.Name FROM tqd_Datasource_Field d, tqd_field_style c WHERE d.Field_Id in (" +
                       ids + ") AND d.Field_Id = c.Field_Id (+)"),
      "SELECT d.Name FROM tqd_Datasource_Field d LEFT JOIN tqd_field_style c ON d.Field_Id = c.Field_Id "
      "WHERE d.Field_Id in (" +
          ids + ")");
}

// ---- Translated statements run by SQLite ----

class DialectSqliteTest : public ::testing::Test {
 protected:
  DialectSqliteTest() {
    sqlite3_open(":memory:", &db_);
    auto prefixName = [](sqlite3_context* context, int, sqlite3_value** argv) {
      if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
      const std::string text = std::string(static_cast<const char*>(sqlite3_user_data(context))) +
                               reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
      sqlite3_result_text(context, text.c_str(), -1, SQLITE_TRANSIENT);
    };
    static const char kNew[] = "new:";
    static const char kAvail[] = "avail_";
    sqlite3_create_function(db_, QualifiedFunctionName("ea_dd", "ea_replace_entity_names").c_str(), 1,
                            SQLITE_UTF8, const_cast<char*>(kNew), prefixName, nullptr, nullptr);
    sqlite3_create_function(db_, QualifiedFunctionName("availabledatareporting.tocalcfieldname").c_str(), 1,
                            SQLITE_UTF8, const_cast<char*>(kAvail), prefixName, nullptr, nullptr);
  }
  ~DialectSqliteTest() override { sqlite3_close(db_); }

  void Exec(const std::string& sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error << "\n" << sql;
  }
  // Runs the translation of an Oracle statement; rows as "a|b|NULL" texts.
  std::vector<std::string> Rows(const std::string& oracleSql) {
    const std::string sql = TranslateDialect(oracleSql);
    std::vector<std::string> rows;
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_) << "\n"
        << sql;
    while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        row += (c > 0 ? "|" : "") + std::string(text != nullptr ? text : "NULL");
      }
      rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
  }

  sqlite3* db_ = nullptr;
};

TEST_F(DialectSqliteTest, FieldJoinsKeepFieldsWithoutStyleOrExtraValues) {
  Exec(
      "CREATE TABLE tqd_Datasource_Field (Field_Id, Entity_ID, DataSource_ID, Name, Report_Header, "
      "Report_Header2, Field_Desc, DataType, Field_Type, Field_Owner, Field_Aggregator, "
      "Field_Emits_Aggregator, "
      "Calc_Source, UDC_Source, Length, Precision, Is_Null_OK, Field_Group_Short, Tech_Mask, Changed, "
      "Status);"
      "CREATE TABLE tqd_field_style (Field_Id, FontStyleMask, FontColor);"
      "CREATE TABLE tqd_Dict_Name (Field_Id, Entity_Id, Namespace_Id, Name);"
      "CREATE TABLE tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue);"
      "INSERT INTO tqd_Datasource_Field (Field_Id, Entity_ID, DataSource_ID, Name, UDC_Source) VALUES "
      "(1, 1, 3, 'CallAttempts', NULL), (2, 1, 3, 'DropRate', 'Drops/Attempts'), (3, 1, 4, 'Other', NULL);"
      "INSERT INTO tqd_field_style VALUES (1, 2, 255);"
      "INSERT INTO tqd_Dict_Name VALUES (1, 1, 7, 'Attempts'), (2, 1, 8, 'Wrong namespace');"
      "INSERT INTO tqd_Field_Data VALUES (1, 2, 12, 'per cent'), (1, 1, 13, 'wrong data set');");
  const std::string columns = "SELECT Field_Id, FontColor, v1, v2 FROM (";
  EXPECT_EQ(Rows(columns + DataSourceFieldsStatement(false) + ") ORDER BY Field_Id"),
            (std::vector<std::string>{"1|255|Attempts|NULL", "2|NULL|NULL|per cent"}));
  EXPECT_EQ(
      Rows("SELECT Field_Id, UDC_Source FROM (" + DataSourceFieldsStatement(true) + ") ORDER BY Field_Id"),
      (std::vector<std::string>{"1|NULL", "2|new:Drops/Attempts"}));
}

TEST_F(DialectSqliteTest, BusyHoursWithoutPabhRowAreLoaded) {
  Exec(
      "CREATE TABLE PM_BusyHour (Id, UserId, Name, Changed, Cluster_Entity_Id, Field_Id, Description, "
      "FirstNeeded, Span, MinRank, MaxRank, FirstAvail, LastAvail, scenario_id, Daily_Retention, "
      "Weekly_Retention, Monthly_Retention);"
      "CREATE TABLE tqd_dict_name (Field_Id, Name); CREATE TABLE PM_PABH (ID, FirstAvail, LastAvail);"
      "INSERT INTO PM_BusyHour (Id, Cluster_Entity_Id, Field_Id) VALUES (10, 5, 1), (11, 5, 2), (12, 5, "
      "NULL), "
      "(13, 6, 1);"
      "INSERT INTO tqd_dict_name VALUES (1, 'CallAttempts'), (2, 'DropRate'); INSERT INTO PM_PABH (ID) "
      "VALUES (10);");
  EXPECT_EQ(Rows("SELECT Id, PABH_ID, Field_Name FROM (" + CategoryBusyHoursStatement() + ") ORDER BY Id"),
            (std::vector<std::string>{"10|10|CallAttempts", "11|NULL|DropRate"}));
}

TEST_F(DialectSqliteTest, DataFilesWithoutAvailabilityAreLoaded) {
  Exec(
      "CREATE TABLE tq_file_control (file_type_id, file_type, frequency, FREQUENCY_ID, FILE_DESCRIPTION, "
      "entity_name, ENTITY_ID, vendor, OFFSET_MINUTES);"
      "CREATE TABLE tq_min_partition (file_type_id, min_partition_date, max_partition_date);"
      "CREATE TABLE tq_available_data (file_type_id, timestamp); CREATE TABLE AVA_MAP (file_type_id);"
      "CREATE TABLE tqd_dict_name (field_id, entity_id, name);"
      "CREATE TABLE tqn_entity_hier (entity_id, context_id, can_rpt);"
      "CREATE TABLE tqn_context (context_id, context_name);"
      "INSERT INTO tq_file_control (file_type_id, file_type, entity_id) VALUES (1, 'CDR', 100), (2, 'PM', "
      "100);"
      "INSERT INTO tq_min_partition VALUES (1, '2026-01-01', '2026-01-31');"
      "INSERT INTO tq_available_data VALUES (1, '2026-02-03'), (1, '2026-02-01');"
      "INSERT INTO AVA_MAP VALUES (1), (2);"
      "INSERT INTO tqd_dict_name VALUES (31, 100, 'avail_CDR'), (32, 100, 'avail_PM');"
      "INSERT INTO tqn_entity_hier VALUES (100, 9, 'y'); INSERT INTO tqn_context VALUES (9, 'data "
      "availability');");
  EXPECT_EQ(Rows("SELECT field_id, file_type, first, last FROM (" + DataFilesPartitionStatement() + ")"),
            (std::vector<std::string>{"31|CDR|2026-01-01|2026-01-31", "32|PM|NULL|NULL"}));
  EXPECT_EQ(Rows("SELECT field_id, file_type, first, last FROM (" + DataFilesAvailableStatement() + ")"),
            (std::vector<std::string>{"31|CDR|2026-02-01|2026-02-03", "32|PM|NULL|NULL"}));
  EXPECT_EQ(Rows("select count (*) RowCount from tq_available_data"), (std::vector<std::string>{"2"}));
}

TEST_F(DialectSqliteTest, DistinctDatesAndManyOuterJoinsRun) {
  Exec(
      "CREATE TABLE PM_TemplateField (TemplateId, Field_Id);"
      "INSERT INTO PM_TemplateField VALUES (1, 5), (1, 5), (2, 5), (3, 6);"
      "CREATE TABLE t (Id, Changed);"
      "INSERT INTO t VALUES (1, datetime('now','localtime','-1 day')), (2, datetime('now','localtime','-3 "
      "days'));"
      "CREATE TABLE tqd_Field_Data (Field_ID, DataSet_ID, DataValue); CREATE TABLE tqd_Dict_Name (Field_ID, "
      "Report_Header2, Name, Entity_Id, NameSpace_ID); CREATE TABLE tqn_Entity (Entity_ID, Entity_Name);"
      "CREATE TABLE tqd_Field_Data_Set (DataSet_ID, DataSet_Title); CREATE TABLE pel_rcvform_entity "
      "(rcvformname, entityname);");
  EXPECT_EQ(Rows("SELECT UNIQUE TemplateId FROM PM_TemplateField WHERE Field_Id=5 ORDER BY 1"),
            (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Rows("SELECT Id FROM t WHERE sysdate -  Changed <= 2"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Rows("SELECT Id FROM t WHERE Changed > sysdate - 2"), (std::vector<std::string>{"1"}));
  Exec(
      "INSERT INTO tqd_Field_Data_Set VALUES (4, 'RCVFormName'); INSERT INTO tqd_Field_Data VALUES (1, 4, "
      "'ceqface3g');"
      "INSERT INTO tqd_Dict_Name VALUES (1, 'deter_thresh', 'Threshold', 20, 0); INSERT INTO tqn_Entity "
      "VALUES (20, "
      "'Carrier'); INSERT INTO pel_rcvform_entity VALUES ('ceqface3g', 'Sector');");
  EXPECT_EQ(Rows(RcvSimpleStatement()),
            (std::vector<std::string>{"ceqface3g|deter_thresh|1|Threshold|20|Carrier"}));
  EXPECT_EQ(
      Rows(RcvUnionStatement()),
      (std::vector<std::string>{"ceqface3g|deter_thresh|1|Threshold|20|Carrier|CellEqFace3GCDMACarrier"}));

  // A dozen outer-joined tables, no alias on the first, each matching nothing.
  std::string from = "FROM base";
  std::string where = "\nwhere base.Id > 0";
  Exec("CREATE TABLE base (Id); INSERT INTO base VALUES (1), (2);");
  for (int k = 1; k <= 12; ++k) {
    const std::string n = std::to_string(k);
    Exec("CREATE TABLE o" + n + " (Id, Kind); INSERT INTO o" + n + " VALUES (1, 0);");
    from += ",\n  o" + n + " t" + n;
    where += (k % 2 ? " AND t" : " and\t(t") + n + ".Id (+) = base.Id" + (k % 2 ? "" : ")") + " AND t" + n +
             ".Kind (+) = " + n;
  }
  const std::string sql = "SELECT base.Id, t1.Id, t12.Id " + from + where + " ORDER BY 1";
  EXPECT_EQ(Rows(sql), (std::vector<std::string>{"1|NULL|NULL", "2|NULL|NULL"}));
  const std::string translated = TranslateDialect(sql);
  EXPECT_EQ(translated.find("(+)"), std::string::npos);
  EXPECT_NE(translated.find("LEFT JOIN o11 t11 ON t11.Id = base.Id AND t11.Kind = 11 LEFT JOIN o12 t12 ON"),
            std::string::npos)
      << translated;
}

}  // namespace
}  // namespace ridirodev::standalone
