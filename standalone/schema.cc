#include "standalone/schema.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/schema_postgres.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

// Busy-hour names are unique per entity. Name first: led by the entity, the index would be
// chosen for the loads of an entity's definitions and hand them out by name rather than in the
// order they were added.
#define BUSY_HOUR_NAME_INDEX \
  "CREATE UNIQUE INDEX IF NOT EXISTS PM_BusyHour_Name ON PM_BusyHour (Name, Cluster_Entity_Id)"

// Text columns use the widths of the server's dictionary so that the limits the component
// measures (names 30, headings 30, descriptions 255, sources 4000 and 2000, criteria 2000)
// are the ones users know. Comparisons stay case-sensitive as on the server, except where a
// column says COLLATE NOCASE.
constexpr std::string_view kSchema = R"sql(
-- ---- Housekeeping ----------------------------------------------------------------------

CREATE TABLE ridirodev_meta (
  Name  VARCHAR2(64) NOT NULL PRIMARY KEY,
  Value VARCHAR2(255)
);
INSERT INTO ridirodev_meta (Name, Value) VALUES ('schema_version', '2');

-- Value is the number handed out last; the next one is Value + 1.
CREATE TABLE ridirodev_sequence (
  Name  VARCHAR2(30) NOT NULL PRIMARY KEY COLLATE NOCASE,
  Value INTEGER NOT NULL
);
INSERT INTO ridirodev_sequence (Name, Value) VALUES ('SQ_BusyHour', 0);
INSERT INTO ridirodev_sequence (Name, Value) VALUES ('SQ_HourRange', 0);
INSERT INTO ridirodev_sequence (Name, Value) VALUES ('SQ_Field', 0);

-- ---- Users and documents (the host's folder services) ------------------------------------

CREATE TABLE PM_User (
  Id        INTEGER NOT NULL PRIMARY KEY,
  Name      VARCHAR2(30) NOT NULL UNIQUE COLLATE NOCASE,
  Full_Name VARCHAR2(64)
);

-- Reports and templates. Report_Id is the report made from an express template, if any.
CREATE TABLE PM_Document (
  Id        INTEGER NOT NULL,
  Kind      VARCHAR2(10) NOT NULL CHECK (Kind IN ('Report', 'Template')),
  Name      VARCHAR2(64) NOT NULL,
  Express   VARCHAR2(1) DEFAULT 'N' NOT NULL CHECK (Express IN ('Y', 'N')),
  Report_Id INTEGER,
  Owner_Id  INTEGER,
  Changed   DATE,
  PRIMARY KEY (Kind, Id)
);

CREATE TABLE PM_Report (
  Id           INTEGER NOT NULL PRIMARY KEY,
  ReportSpecId INTEGER NOT NULL
);

-- One row per column of a report definition.
CREATE TABLE PM_ReportSpec (
  Id         INTEGER NOT NULL,
  Column_Seq INTEGER NOT NULL,
  Field_Id   INTEGER,
  BusyHourId INTEGER,
  PRIMARY KEY (Id, Column_Seq)
);
CREATE INDEX PM_ReportSpec_Field ON PM_ReportSpec (Field_Id);
CREATE INDEX PM_ReportSpec_BusyHour ON PM_ReportSpec (BusyHourId);

CREATE TABLE PM_TemplateField (
  TemplateId INTEGER NOT NULL,
  Field_Seq  INTEGER NOT NULL,
  Field_Id   INTEGER NOT NULL,
  Criteria   VARCHAR2(2000),
  PRIMARY KEY (TemplateId, Field_Seq)
);
CREATE INDEX PM_TemplateField_Field ON PM_TemplateField (Field_Id);

CREATE TABLE PM_Filter (
  Id       INTEGER NOT NULL PRIMARY KEY,
  Name     VARCHAR2(30) NOT NULL,
  Field_Id INTEGER,
  Criteria VARCHAR2(2000)
);

-- ---- Data sources, technologies, field groups, aggregators -------------------------------

CREATE TABLE TQD_Data_Source (
  DataSource_Id      INTEGER NOT NULL PRIMARY KEY,
  DataSource_Name    VARCHAR2(30) NOT NULL UNIQUE,
  DataSource_APP_CTX INTEGER,
  DataSource_Desc    VARCHAR2(255)
);

CREATE TABLE TQD_Technology_Mask (
  Tech_Name VARCHAR2(30) NOT NULL PRIMARY KEY,
  Tech_Char VARCHAR2(1) NOT NULL UNIQUE,
  Tech_Mask INTEGER NOT NULL,
  Tech_Desc VARCHAR2(255)
);

CREATE TABLE tqd_Field_Group (
  Field_Group_Id    INTEGER NOT NULL PRIMARY KEY,
  Field_Group_Short VARCHAR2(10) NOT NULL UNIQUE,
  Field_Group_Name  VARCHAR2(64) NOT NULL
);

-- Which field groups a data source offers.
CREATE TABLE tqd_DataSource_Field_Group (
  DataSource_ID  INTEGER NOT NULL,
  Field_Group_Id INTEGER NOT NULL,
  PRIMARY KEY (DataSource_ID, Field_Group_Id)
);

CREATE VIEW tqd_Application_Field_Group AS
SELECT g.Field_Group_Id, g.Field_Group_Short, g.Field_Group_Name, a.DataSource_ID
  FROM tqd_DataSource_Field_Group a
  JOIN tqd_Field_Group g ON g.Field_Group_Id = a.Field_Group_Id;

-- The labels name the time and element parts of an aggregator; empty means the name.
CREATE TABLE TQD_Aggregator (
  AGGR_ID       VARCHAR2(8) NOT NULL PRIMARY KEY,
  AGGR_Name     VARCHAR2(64) NOT NULL,
  AGGR_BH_OK    VARCHAR2(1) DEFAULT 'N' NOT NULL,
  label_time    VARCHAR2(30),
  label_element VARCHAR2(30)
);

-- ---- Extra columns ----------------------------------------------------------------------

-- E_Type 'A' keeps its values in tqd_Dict_Name at NameSpace_Id = e_id; any other kind in
-- tqd_Field_Data at DataSet_ID = e_id. Rows are read in insertion order.
CREATE TABLE TQD_DataSource_Extra_Cols (
  DataSource_ID INTEGER NOT NULL,
  e_id          INTEGER NOT NULL,
  Col_Title     VARCHAR2(30) NOT NULL,
  E_Type        VARCHAR2(1) NOT NULL,
  Editable      VARCHAR2(1) DEFAULT 'N' NOT NULL,
  PRIMARY KEY (DataSource_ID, e_id)
);

CREATE TABLE tqd_Dict_Namespace (
  NameSpace_Id    INTEGER NOT NULL PRIMARY KEY,
  NameSpace_Title VARCHAR2(30) NOT NULL
);
INSERT INTO tqd_Dict_Namespace (NameSpace_Id, NameSpace_Title) VALUES (0, 'Field Name');

CREATE TABLE tqd_Field_Data_Set (
  DataSet_ID    INTEGER NOT NULL PRIMARY KEY,
  DataSet_Title VARCHAR2(30) NOT NULL UNIQUE
);

-- ---- Entity hierarchy -------------------------------------------------------------------

-- Entity_Type: 'Module', 'ModuleVer', 'System' or 'Entity'. A system belongs to a module
-- version, which belongs to a module.
CREATE TABLE TQN_ENTITY (
  Entity_Id        INTEGER NOT NULL PRIMARY KEY,
  Entity_Name      VARCHAR2(30) NOT NULL,
  Entity_Label     VARCHAR2(30),
  Entity_Desc      VARCHAR2(255),
  Entity_Type      VARCHAR2(10) NOT NULL
                   CHECK (Entity_Type IN ('Module', 'ModuleVer', 'System', 'Entity')),
  Module_Id        INTEGER,
  Version_Id       INTEGER,
  Can_Report       VARCHAR2(1) DEFAULT 'Y' NOT NULL,
  Can_Sum          VARCHAR2(1) DEFAULT 'Y' NOT NULL,
  AllowReparenting VARCHAR2(1) DEFAULT 'N' NOT NULL
);
CREATE INDEX TQN_ENTITY_Name ON TQN_ENTITY (Entity_Name COLLATE NOCASE);

CREATE TABLE tqn_context (
  Context_Id   INTEGER NOT NULL PRIMARY KEY,
  Context_Name VARCHAR2(30) NOT NULL UNIQUE
);

-- Where an entity sits in the hierarchy of a context.
CREATE TABLE tqn_entity_context (
  Context_Id           INTEGER NOT NULL,
  Entity_Id            INTEGER NOT NULL,
  Parent_Entity_Id     INTEGER,
  Depth                INTEGER NOT NULL,
  Context_Entity_Label VARCHAR2(30),
  PRIMARY KEY (Context_Id, Entity_Id)
);

-- Every level, modules and versions included.
CREATE VIEW ea_tqn_entity_hier AS
SELECT c.Entity_Id, c.Parent_Entity_Id, e.Entity_Name, e.Entity_Label, c.Context_Id,
       e.Entity_Desc, e.Can_Sum, e.Can_Report AS Can_Rpt, e.Entity_Type AS Type, c.Depth,
       c.Context_Entity_Label, e.AllowReparenting, e.Module_Id, e.Version_Id
  FROM tqn_entity_context c
  JOIN TQN_ENTITY e ON e.Entity_Id = c.Entity_Id;

-- Systems and entities only; a system hangs at the top (no parent) as in the basic tree.
CREATE VIEW TQN_Entity_Hier AS
SELECT c.Entity_Id,
       CASE WHEN p.Entity_Type IN ('Module', 'ModuleVer') THEN NULL ELSE c.Parent_Entity_Id END
         AS Parent_Entity_Id,
       e.Entity_Name, e.Entity_Label, c.Context_Id, e.Entity_Desc, e.Can_Sum,
       e.Can_Report AS Can_Rpt, c.Context_Entity_Label, e.AllowReparenting, c.Depth
  FROM tqn_entity_context c
  JOIN TQN_ENTITY e ON e.Entity_Id = c.Entity_Id
  LEFT JOIN TQN_ENTITY p ON p.Entity_Id = c.Parent_Entity_Id
 WHERE e.Entity_Type IN ('System', 'Entity');

-- ---- Fields -----------------------------------------------------------------------------

-- What a field is, apart from its names.
CREATE TABLE tqd_Dict_Field (
  Field_Id               INTEGER NOT NULL PRIMARY KEY,
  DataSource_ID          INTEGER NOT NULL,
  DataType               VARCHAR2(1) NOT NULL,
  Field_Type             VARCHAR2(8),
  Field_Owner            INTEGER,
  Field_Aggregator       VARCHAR2(8),
  Field_Emits_Aggregator VARCHAR2(8),
  Length                 NUMBER,
  Precision              NUMBER,
  Is_Null_OK             VARCHAR2(1) DEFAULT 'Y' NOT NULL,
  Field_Group_Short      VARCHAR2(10) NOT NULL,
  Tech_Mask              INTEGER DEFAULT 0 NOT NULL,
  Changed                DATE,
  Status                 VARCHAR2(1)
);
CREATE INDEX tqd_Dict_Field_Group ON tqd_Dict_Field (DataSource_ID, Field_Group_Short);

-- Names of fields. NameSpace_Id 0 is the field's own row: entity, name, headings and
-- description. Other namespaces hold the values of extra columns of kind 'A'.
-- DataSource_ID repeats the field's data source on its own row, kept by the triggers below:
-- without it a request for one data source's fields of an entity walks the entity's fields
-- of every data source (SQLite keeps no value histograms to tell it otherwise).
CREATE TABLE tqd_Dict_Name (
  Field_Id       INTEGER NOT NULL,
  NameSpace_Id   INTEGER NOT NULL,
  Entity_Id      INTEGER,
  Name           VARCHAR2(30),
  Report_Header  VARCHAR2(30),
  Report_Header2 VARCHAR2(30),
  Field_Desc     VARCHAR2(255),
  DataSource_ID  INTEGER,
  PRIMARY KEY (Field_Id, NameSpace_Id)
);
CREATE INDEX tqd_Dict_Name_Entity ON tqd_Dict_Name (Entity_Id, NameSpace_Id, Name COLLATE NOCASE);
CREATE INDEX tqd_Dict_Name_Source ON tqd_Dict_Name (Entity_Id, NameSpace_Id, DataSource_ID);

CREATE TRIGGER tqd_Dict_Name_Source_Of_Name AFTER INSERT ON tqd_Dict_Name WHEN NEW.NameSpace_Id = 0
BEGIN
  UPDATE tqd_Dict_Name
     SET DataSource_ID = (SELECT DataSource_ID FROM tqd_Dict_Field WHERE Field_Id = NEW.Field_Id)
   WHERE Field_Id = NEW.Field_Id AND NameSpace_Id = 0;
END;
CREATE TRIGGER tqd_Dict_Name_Source_Of_Field AFTER INSERT ON tqd_Dict_Field
BEGIN
  UPDATE tqd_Dict_Name SET DataSource_ID = NEW.DataSource_ID
   WHERE Field_Id = NEW.Field_Id AND NameSpace_Id = 0;
END;
CREATE TRIGGER tqd_Dict_Name_Source_Moved AFTER UPDATE OF DataSource_ID ON tqd_Dict_Field
BEGIN
  UPDATE tqd_Dict_Name SET DataSource_ID = NEW.DataSource_ID
   WHERE Field_Id = NEW.Field_Id AND NameSpace_Id = 0;
END;

-- The definition of a user-defined calculation: the source as written and, once
-- translated, the source with every field reference resolved to its id.
CREATE TABLE TQD_UDC_DEF (
  Field_Id        INTEGER NOT NULL PRIMARY KEY,
  UDC_SOURCE      VARCHAR2(4000),
  CALC_SOURCE     VARCHAR2(2000),
  Complex         VARCHAR2(2000),
  weight_field_id INTEGER
);

CREATE VIEW tqd_Datasource_Field AS
SELECT f.Field_Id, n.Entity_Id, n.DataSource_ID, n.Name, n.Report_Header, n.Report_Header2,
       n.Field_Desc, f.DataType, f.Field_Type, f.Field_Owner, f.Field_Aggregator,
       f.Field_Emits_Aggregator, u.CALC_SOURCE AS Calc_Source, u.UDC_SOURCE AS UDC_Source,
       f.Length, f.Precision, f.Is_Null_OK, f.Field_Group_Short, f.Tech_Mask, f.Changed,
       f.Status, u.Complex, u.weight_field_id
  FROM tqd_Dict_Field f
  JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND n.NameSpace_Id = 0
  LEFT JOIN TQD_UDC_DEF u ON u.Field_Id = f.Field_Id;

CREATE TABLE tqd_field_style (
  Field_Id      INTEGER NOT NULL PRIMARY KEY,
  FontStyleMask INTEGER DEFAULT 0 NOT NULL,
  FontColor     INTEGER DEFAULT 0 NOT NULL
);

CREATE TABLE tqd_Field_Data (
  Entity_Id  INTEGER,
  Field_Id   INTEGER NOT NULL,
  DataSet_ID INTEGER NOT NULL,
  DataValue  VARCHAR2(255),
  PRIMARY KEY (Field_Id, DataSet_ID)
);
CREATE INDEX tqd_Field_Data_Set_Value ON tqd_Field_Data (DataSet_ID, DataValue);

-- A calculation (parent) uses another calculation (child).
CREATE TABLE tqd_dict_field_depend (
  parent_field_id INTEGER NOT NULL,
  child_field_id  INTEGER NOT NULL,
  PRIMARY KEY (parent_field_id, child_field_id)
);
CREATE INDEX tqd_dict_field_depend_child ON tqd_dict_field_depend (child_field_id);

CREATE TABLE TQD_ENUM_VALUES (
  Field_Id  INTEGER NOT NULL,
  Enum_Key  VARCHAR2(30) NOT NULL,
  Enum_Desc VARCHAR2(255),
  PRIMARY KEY (Field_Id, Enum_Key)
);

-- The entity under which the RCV/EMS highlighting shows the fields of a form.
CREATE TABLE pel_rcvform_entity (
  rcvformname VARCHAR2(64) NOT NULL PRIMARY KEY,
  entityname  VARCHAR2(30) NOT NULL
);

CREATE TABLE tqd_udr_keys (
  entity_id INTEGER NOT NULL,
  field_seq INTEGER NOT NULL,
  Field_id  INTEGER NOT NULL,
  PRIMARY KEY (entity_id, field_seq)
);

-- ---- Calculation functions --------------------------------------------------------------

CREATE TABLE TQE_Function_Type (
  Function_Type_Id   INTEGER NOT NULL PRIMARY KEY,
  Function_Type_Name VARCHAR2(30) NOT NULL UNIQUE
);

CREATE TABLE TQE_Function (
  Function_Name      VARCHAR2(30) NOT NULL PRIMARY KEY COLLATE NOCASE,
  Function_Signature VARCHAR2(255) NOT NULL,
  Function_Type_Id   INTEGER NOT NULL,
  Function_Desc      VARCHAR2(255)
);

-- ---- Busy hours -------------------------------------------------------------------------

-- Field_Id null makes a summation.
CREATE TABLE PM_BusyHour (
  Id                INTEGER NOT NULL PRIMARY KEY,
  UserId            INTEGER,
  Name              VARCHAR2(30) NOT NULL,
  Changed           DATE,
  Cluster_Entity_Id INTEGER,
  Field_Id          INTEGER,
  Description       VARCHAR2(255),
  FirstNeeded       DATE,
  Span              VARCHAR2(1),
  MinRank           INTEGER,
  MaxRank           INTEGER,
  DTPeriod          INTEGER,
  Scenario_Id       INTEGER,
  FirstAvail        DATE,
  LastAvail         DATE,
  Daily_Retention   NUMBER,
  Weekly_Retention  NUMBER,
  Monthly_Retention NUMBER
);
CREATE INDEX PM_BusyHour_Cluster ON PM_BusyHour (Cluster_Entity_Id);
CREATE INDEX PM_BusyHour_Field ON PM_BusyHour (Field_Id);
-- The name check before an add and the insert are two calls; this keeps two users adding the
-- same name at once from both succeeding. It compares as the check does: exactly.
)sql" BUSY_HOUR_NAME_INDEX R"sql(;

-- One run of selected day slots: slots FirstHour to LastHour, and the same run in seconds
-- of the day (start of the first slot, end of the last).
CREATE TABLE PM_HourRange (
  Id           INTEGER NOT NULL PRIMARY KEY,
  BusyHourId   INTEGER NOT NULL,
  FirstHour    INTEGER NOT NULL,
  LastHour     INTEGER NOT NULL,
  FirstSeconds INTEGER,
  LastSeconds  INTEGER
);
CREATE INDEX PM_HourRange_BusyHour ON PM_HourRange (BusyHourId);

CREATE TABLE PM_PABH (
  ID         INTEGER NOT NULL PRIMARY KEY,
  FirstAvail DATE,
  LastAvail  DATE
);

CREATE TABLE tq_frequency (
  frequency_id INTEGER NOT NULL PRIMARY KEY,
  description  VARCHAR2(30) NOT NULL,
  tag          VARCHAR2(8) NOT NULL UNIQUE
);

CREATE TABLE tq_system_values (
  name  VARCHAR2(64) NOT NULL PRIMARY KEY,
  value VARCHAR2(255)
);
CREATE VIEW tq_system_values_v AS SELECT name, value FROM tq_system_values;

-- ---- Data files and their availability --------------------------------------------------

-- The availability of a file type is reported by the field of its entity named
-- availabledatareporting.tocalcfieldname(file_type).
CREATE TABLE tq_file_control (
  file_type_id     INTEGER NOT NULL PRIMARY KEY,
  file_type        VARCHAR2(24) NOT NULL UNIQUE,
  frequency        VARCHAR2(30),
  FREQUENCY_ID     INTEGER,
  FILE_DESCRIPTION VARCHAR2(255),
  entity_name      VARCHAR2(30),
  ENTITY_ID        INTEGER,
  vendor           VARCHAR2(30),
  OFFSET_MINUTES   INTEGER DEFAULT 0 NOT NULL
);

CREATE TABLE tq_min_partition (
  file_type_id       INTEGER NOT NULL PRIMARY KEY,
  min_partition_date DATE,
  max_partition_date DATE
);

CREATE TABLE tq_available_data (
  file_type_id INTEGER NOT NULL,
  timestamp    DATE NOT NULL,
  PRIMARY KEY (file_type_id, timestamp)
);

-- File types whose availability is tracked.
CREATE TABLE AVA_MAP (
  file_type_id INTEGER NOT NULL PRIMARY KEY
);
)sql";

}  // namespace

std::string_view DictionarySchemaSql() { return kSchema; }

std::vector<std::string> EnsureBusyHourNameIndex(sqlite3* db) {
  // Asked first: making it, even "if not exists", would wait for the write lock on every open.
  sqlite3_stmt* present = nullptr;
  sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = 'PM_BusyHour_Name'", -1,
                     &present, nullptr);
  const bool found = present && sqlite3_step(present) == SQLITE_ROW;
  sqlite3_finalize(present);
  if (found) return {};
  if (sqlite3_exec(db, BUSY_HOUR_NAME_INDEX, nullptr, nullptr, nullptr) == SQLITE_OK ||
      sqlite3_errcode(db) != SQLITE_CONSTRAINT) {
    return {};  // in place, or left for a later open that can write
  }
  std::vector<std::string> repeated;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(
          db,
          "SELECT Name, Cluster_Entity_Id, count(*) FROM PM_BusyHour GROUP BY Cluster_Entity_Id, "
          "Name HAVING count(*) > 1 ORDER BY Cluster_Entity_Id, Name",
          -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      repeated.push_back("'" + std::string(name ? name : "") + "' at entity " +
                         std::to_string(sqlite3_column_int64(stmt, 1)) + " (" +
                         std::to_string(sqlite3_column_int64(stmt, 2)) + " times)");
    }
  }
  sqlite3_finalize(stmt);
  return repeated;
}

void CreateDictionarySchema(sqlite3* db) {
  const std::string script = "SAVEPOINT create_dictionary_schema;\n" + std::string(kSchema) +
                             "\nRELEASE create_dictionary_schema;";
  char* message = nullptr;
  if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return;
  std::string why = message ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  // Undo whatever part of the script ran; the savepoint may already be gone if SQLite
  // rolled back by itself.
  sqlite3_exec(db, "ROLLBACK TO create_dictionary_schema; RELEASE create_dictionary_schema;", nullptr, nullptr,
               nullptr);
  throw AutomationError(kDatabaseError, "DictionarySchema", "The dictionary schema cannot be created: " + why);
}

void CreateDictionarySchema(engine::EngineDatabase& db) {
  if (auto* file = dynamic_cast<SqliteDatabase*>(&db))
    return CreateDictionarySchema(file->Connection()->Handle());
  try {
    engine::EngineTransaction transaction(db);
    db.RunScript(PostgresSchemaSql());
    transaction.Commit();
  } catch (const AutomationError& e) {
    throw AutomationError(kDatabaseError, "DictionarySchema",
                          "The dictionary schema cannot be created: " +
                              e.Description().substr(0, e.Description().find("\nStatement:")));
  }
}

#undef BUSY_HOUR_NAME_INDEX

}  // namespace ridirodev::standalone
