// The PostgreSQL script and the SQLite script of schema.cc describe one schema: a table, column,
// width, default, index, view or trigger changes in both at once, and so do the functions of
// dictionary_functions.cc and their counterparts here.

#include "standalone/schema_postgres.h"

#include "ridirodev/core/text.h"
#include "standalone/schema.h"

namespace ridirodev::standalone {
namespace {

// A new schema version means the SQLite script changed: bring this one along, then move the
// version here and in ridirodev_meta below.
static_assert(kDictionarySchemaVersion == 2, "the PostgreSQL schema is behind the SQLite schema");
// The database object asks for the next value of these sequences by these names.
static_assert(EqualsNoCase(kBusyHourSequence, "sq_busyhour") &&
              EqualsNoCase(kHourRangeSequence, "sq_hourrange") && EqualsNoCase(kFieldSequence, "sq_field"));

// Text columns keep the declared widths of the SQLite script (the database object reads its
// input limits from them); dates are TIMESTAMP(0), whole seconds as the SQLite text holds.
// Names are left unquoted so that the component's statements find them in any case.
constexpr std::string_view kSchema = R"sql(
-- Widths count characters and the package functions count bytes as the SQLite host does:
-- both hold only in a UTF8 database.
DO $$
BEGIN
  IF current_setting('server_encoding') <> 'UTF8' THEN
    RAISE EXCEPTION 'the dictionary needs a UTF8 database, not %', current_setting('server_encoding');
  END IF;
END
$$;

-- Host statements say COLLATE NOCASE; this makes them mean what they mean on SQLite. Being
-- nondeterministic, it cannot be used with LIKE or regular expressions.
CREATE COLLATION nocase (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

-- ---- Housekeeping ----------------------------------------------------------------------

CREATE TABLE ridirodev_meta (
  Name  VARCHAR(64) NOT NULL PRIMARY KEY,
  Value VARCHAR(255)
);
INSERT INTO ridirodev_meta (Name, Value) VALUES ('schema_version', '2');

-- The server has sequences, so there is no ridirodev_sequence table here. The next value of a
-- new sequence is 1, as after Value 0 in that table.
CREATE SEQUENCE sq_busyhour AS INTEGER;
CREATE SEQUENCE sq_hourrange AS INTEGER;
CREATE SEQUENCE sq_field AS INTEGER;

-- ---- Users and documents (the host's folder services) ------------------------------------

CREATE TABLE PM_User (
  Id        INTEGER NOT NULL PRIMARY KEY,
  Name      VARCHAR(30) COLLATE nocase NOT NULL UNIQUE,
  Full_Name VARCHAR(64)
);

-- Reports and templates. Report_Id is the report made from an express template, if any.
CREATE TABLE PM_Document (
  Id        INTEGER NOT NULL,
  Kind      VARCHAR(10) NOT NULL CHECK (Kind IN ('Report', 'Template')),
  Name      VARCHAR(64) NOT NULL,
  Express   VARCHAR(1) DEFAULT 'N' NOT NULL CHECK (Express IN ('Y', 'N')),
  Report_Id INTEGER,
  Owner_Id  INTEGER,
  Changed   TIMESTAMP(0),
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
  Criteria   VARCHAR(2000),
  PRIMARY KEY (TemplateId, Field_Seq)
);
CREATE INDEX PM_TemplateField_Field ON PM_TemplateField (Field_Id);

CREATE TABLE PM_Filter (
  Id       INTEGER NOT NULL PRIMARY KEY,
  Name     VARCHAR(30) NOT NULL,
  Field_Id INTEGER,
  Criteria VARCHAR(2000)
);

-- ---- Data sources, technologies, field groups, aggregators -------------------------------

CREATE TABLE TQD_Data_Source (
  DataSource_Id      INTEGER NOT NULL PRIMARY KEY,
  DataSource_Name    VARCHAR(30) NOT NULL UNIQUE,
  DataSource_APP_CTX INTEGER,
  DataSource_Desc    VARCHAR(255)
);

CREATE TABLE TQD_Technology_Mask (
  Tech_Name VARCHAR(30) NOT NULL PRIMARY KEY,
  Tech_Char VARCHAR(1) NOT NULL UNIQUE,
  Tech_Mask INTEGER NOT NULL,
  Tech_Desc VARCHAR(255)
);

CREATE TABLE tqd_Field_Group (
  Field_Group_Id    INTEGER NOT NULL PRIMARY KEY,
  Field_Group_Short VARCHAR(10) NOT NULL UNIQUE,
  Field_Group_Name  VARCHAR(64) NOT NULL
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
  AGGR_ID       VARCHAR(8) NOT NULL PRIMARY KEY,
  AGGR_Name     VARCHAR(64) NOT NULL,
  AGGR_BH_OK    VARCHAR(1) DEFAULT 'N' NOT NULL,
  label_time    VARCHAR(30),
  label_element VARCHAR(30)
);

-- ---- Extra columns ----------------------------------------------------------------------

-- E_Type 'A' keeps its values in tqd_Dict_Name at NameSpace_Id = e_id; any other kind in
-- tqd_Field_Data at DataSet_ID = e_id.
CREATE TABLE TQD_DataSource_Extra_Cols (
  DataSource_ID INTEGER NOT NULL,
  e_id          INTEGER NOT NULL,
  Col_Title     VARCHAR(30) NOT NULL,
  E_Type        VARCHAR(1) NOT NULL,
  Editable      VARCHAR(1) DEFAULT 'N' NOT NULL,
  PRIMARY KEY (DataSource_ID, e_id)
);

CREATE TABLE tqd_Dict_Namespace (
  NameSpace_Id    INTEGER NOT NULL PRIMARY KEY,
  NameSpace_Title VARCHAR(30) NOT NULL
);
INSERT INTO tqd_Dict_Namespace (NameSpace_Id, NameSpace_Title) VALUES (0, 'Field Name');

CREATE TABLE tqd_Field_Data_Set (
  DataSet_ID    INTEGER NOT NULL PRIMARY KEY,
  DataSet_Title VARCHAR(30) NOT NULL UNIQUE
);

-- ---- Entity hierarchy -------------------------------------------------------------------

-- Entity_Type: 'Module', 'ModuleVer', 'System' or 'Entity'. A system belongs to a module
-- version, which belongs to a module.
CREATE TABLE TQN_ENTITY (
  Entity_Id        INTEGER NOT NULL PRIMARY KEY,
  Entity_Name      VARCHAR(30) NOT NULL,
  Entity_Label     VARCHAR(30),
  Entity_Desc      VARCHAR(255),
  Entity_Type      VARCHAR(10) NOT NULL
                   CHECK (Entity_Type IN ('Module', 'ModuleVer', 'System', 'Entity')),
  Module_Id        INTEGER,
  Version_Id       INTEGER,
  Can_Report       VARCHAR(1) DEFAULT 'Y' NOT NULL,
  Can_Sum          VARCHAR(1) DEFAULT 'Y' NOT NULL,
  AllowReparenting VARCHAR(1) DEFAULT 'N' NOT NULL
);
CREATE INDEX TQN_ENTITY_Name ON TQN_ENTITY (Entity_Name COLLATE nocase);

CREATE TABLE tqn_context (
  Context_Id   INTEGER NOT NULL PRIMARY KEY,
  Context_Name VARCHAR(30) NOT NULL UNIQUE
);

-- Where an entity sits in the hierarchy of a context.
CREATE TABLE tqn_entity_context (
  Context_Id           INTEGER NOT NULL,
  Entity_Id            INTEGER NOT NULL,
  Parent_Entity_Id     INTEGER,
  Depth                INTEGER NOT NULL,
  Context_Entity_Label VARCHAR(30),
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

-- What a field is, apart from its names. Length and Precision hold whatever number is given,
-- as on SQLite.
CREATE TABLE tqd_Dict_Field (
  Field_Id               INTEGER NOT NULL PRIMARY KEY,
  DataSource_ID          INTEGER NOT NULL,
  DataType               VARCHAR(1) NOT NULL,
  Field_Type             VARCHAR(8),
  Field_Owner            INTEGER,
  Field_Aggregator       VARCHAR(8),
  Field_Emits_Aggregator VARCHAR(8),
  Length                 NUMERIC,
  Precision              NUMERIC,
  Is_Null_OK             VARCHAR(1) DEFAULT 'Y' NOT NULL,
  Field_Group_Short      VARCHAR(10) NOT NULL,
  Tech_Mask              INTEGER DEFAULT 0 NOT NULL,
  Changed                TIMESTAMP(0),
  Status                 VARCHAR(1)
);
CREATE INDEX tqd_Dict_Field_Group ON tqd_Dict_Field (DataSource_ID, Field_Group_Short);

-- Names of fields. NameSpace_Id 0 is the field's own row: entity, name, headings and
-- description. Other namespaces hold the values of extra columns of kind 'A'.
-- DataSource_ID repeats the field's data source on its own row, kept by the triggers below,
-- so that one data source's fields of an entity are found without visiting the others.
CREATE TABLE tqd_Dict_Name (
  Field_Id       INTEGER NOT NULL,
  NameSpace_Id   INTEGER NOT NULL,
  Entity_Id      INTEGER,
  Name           VARCHAR(30),
  Report_Header  VARCHAR(30),
  Report_Header2 VARCHAR(30),
  Field_Desc     VARCHAR(255),
  DataSource_ID  INTEGER,
  PRIMARY KEY (Field_Id, NameSpace_Id)
);
CREATE INDEX tqd_Dict_Name_Entity ON tqd_Dict_Name (Entity_Id, NameSpace_Id, Name COLLATE nocase);
CREATE INDEX tqd_Dict_Name_Source ON tqd_Dict_Name (Entity_Id, NameSpace_Id, DataSource_ID);

-- A new name row of namespace 0 takes its data source from the field row, whatever the insert
-- said: none while the field row is missing, and then the field's insert sets it. The insert
-- triggers fire once per statement, over the rows it inserted (an upsert that ends in an
-- update inserted none), so that rows added in bulk cost one update, and none where they came
-- right already. Their updates are planned afresh each time (EXECUTE): a plan kept from when
-- the tables were small would scan them whole once they are large.
CREATE FUNCTION tqd_dict_name_source_of_name() RETURNS trigger
LANGUAGE plpgsql SET search_path FROM CURRENT AS $$
BEGIN
  EXECUTE 'UPDATE tqd_Dict_Name n SET DataSource_ID = f.DataSource_ID '
          'FROM new_names r LEFT JOIN tqd_Dict_Field f ON f.Field_Id = r.Field_Id '
          'WHERE r.NameSpace_Id = 0 AND n.Field_Id = r.Field_Id AND n.NameSpace_Id = 0 '
          'AND n.DataSource_ID IS DISTINCT FROM f.DataSource_ID';
  RETURN NULL;
END
$$;
CREATE TRIGGER tqd_Dict_Name_Source_Of_Name AFTER INSERT ON tqd_Dict_Name
  REFERENCING NEW TABLE AS new_names
  FOR EACH STATEMENT EXECUTE FUNCTION tqd_dict_name_source_of_name();

CREATE FUNCTION tqd_dict_name_source_of_fields() RETURNS trigger
LANGUAGE plpgsql SET search_path FROM CURRENT AS $$
BEGIN
  EXECUTE 'UPDATE tqd_Dict_Name n SET DataSource_ID = r.DataSource_ID FROM new_fields r '
          'WHERE n.Field_Id = r.Field_Id AND n.NameSpace_Id = 0 '
          'AND n.DataSource_ID IS DISTINCT FROM r.DataSource_ID';
  RETURN NULL;
END
$$;
CREATE TRIGGER tqd_Dict_Name_Source_Of_Field AFTER INSERT ON tqd_Dict_Field
  REFERENCING NEW TABLE AS new_fields
  FOR EACH STATEMENT EXECUTE FUNCTION tqd_dict_name_source_of_fields();

-- On any update that sets a field's DataSource_ID (changed or not).
CREATE FUNCTION tqd_dict_name_source_of_field() RETURNS trigger
LANGUAGE plpgsql SET search_path FROM CURRENT AS $$
BEGIN
  UPDATE tqd_Dict_Name SET DataSource_ID = NEW.DataSource_ID
   WHERE Field_Id = NEW.Field_Id AND NameSpace_Id = 0;
  RETURN NULL;
END
$$;
CREATE TRIGGER tqd_Dict_Name_Source_Moved AFTER UPDATE OF DataSource_ID ON tqd_Dict_Field
  FOR EACH ROW EXECUTE FUNCTION tqd_dict_name_source_of_field();

-- The definition of a user-defined calculation: the source as written and, once
-- translated, the source with every field reference resolved to its id.
CREATE TABLE TQD_UDC_DEF (
  Field_Id        INTEGER NOT NULL PRIMARY KEY,
  UDC_SOURCE      VARCHAR(4000),
  CALC_SOURCE     VARCHAR(2000),
  Complex         VARCHAR(2000),
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
  DataValue  VARCHAR(255),
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
  Enum_Key  VARCHAR(30) NOT NULL,
  Enum_Desc VARCHAR(255),
  PRIMARY KEY (Field_Id, Enum_Key)
);

-- The entity under which the RCV/EMS highlighting shows the fields of a form.
CREATE TABLE pel_rcvform_entity (
  rcvformname VARCHAR(64) NOT NULL PRIMARY KEY,
  entityname  VARCHAR(30) NOT NULL
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
  Function_Type_Name VARCHAR(30) NOT NULL UNIQUE
);

CREATE TABLE TQE_Function (
  Function_Name      VARCHAR(30) COLLATE nocase NOT NULL PRIMARY KEY,
  Function_Signature VARCHAR(255) NOT NULL,
  Function_Type_Id   INTEGER NOT NULL,
  Function_Desc      VARCHAR(255)
);

-- ---- Busy hours -------------------------------------------------------------------------

-- Field_Id null makes a summation.
CREATE TABLE PM_BusyHour (
  Id                INTEGER NOT NULL PRIMARY KEY,
  UserId            INTEGER,
  Name              VARCHAR(30) NOT NULL,
  Changed           TIMESTAMP(0),
  Cluster_Entity_Id INTEGER,
  Field_Id          INTEGER,
  Description       VARCHAR(255),
  FirstNeeded       TIMESTAMP(0),
  Span              VARCHAR(1),
  MinRank           INTEGER,
  MaxRank           INTEGER,
  DTPeriod          INTEGER,
  Scenario_Id       INTEGER,
  FirstAvail        TIMESTAMP(0),
  LastAvail         TIMESTAMP(0),
  Daily_Retention   NUMERIC,
  Weekly_Retention  NUMERIC,
  Monthly_Retention NUMERIC
);
CREATE INDEX PM_BusyHour_Cluster ON PM_BusyHour (Cluster_Entity_Id);
CREATE INDEX PM_BusyHour_Field ON PM_BusyHour (Field_Id);
-- The name check before an add and the insert are two calls; this keeps two users adding the
-- same name at once from both succeeding. It compares as the check does: exactly. Name first,
-- so that an entity's definitions are not read through it, by name.
CREATE UNIQUE INDEX PM_BusyHour_Name ON PM_BusyHour (Name, Cluster_Entity_Id);

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
  FirstAvail TIMESTAMP(0),
  LastAvail  TIMESTAMP(0)
);

CREATE TABLE tq_frequency (
  frequency_id INTEGER NOT NULL PRIMARY KEY,
  description  VARCHAR(30) NOT NULL,
  tag          VARCHAR(8) NOT NULL UNIQUE
);

CREATE TABLE tq_system_values (
  name  VARCHAR(64) NOT NULL PRIMARY KEY,
  value VARCHAR(255)
);
CREATE VIEW tq_system_values_v AS SELECT name, value FROM tq_system_values;

-- ---- Data files and their availability --------------------------------------------------

-- The availability of a file type is reported by the field of its entity named
-- availabledatareporting.tocalcfieldname(file_type).
CREATE TABLE tq_file_control (
  file_type_id     INTEGER NOT NULL PRIMARY KEY,
  file_type        VARCHAR(24) NOT NULL UNIQUE,
  frequency        VARCHAR(30),
  FREQUENCY_ID     INTEGER,
  FILE_DESCRIPTION VARCHAR(255),
  entity_name      VARCHAR(30),
  ENTITY_ID        INTEGER,
  vendor           VARCHAR(30),
  OFFSET_MINUTES   INTEGER DEFAULT 0 NOT NULL
);

CREATE TABLE tq_min_partition (
  file_type_id       INTEGER NOT NULL PRIMARY KEY,
  min_partition_date TIMESTAMP(0),
  max_partition_date TIMESTAMP(0)
);

CREATE TABLE tq_available_data (
  file_type_id INTEGER NOT NULL,
  timestamp    TIMESTAMP(0) NOT NULL,
  PRIMARY KEY (file_type_id, timestamp)
);

-- File types whose availability is tracked.
CREATE TABLE AVA_MAP (
  file_type_id INTEGER NOT NULL PRIMARY KEY
);

-- ---- Package functions ------------------------------------------------------------------

-- Characters are told apart by code, and case is folded under the C collation, where lower()
-- folds only A to Z as the SQLite host does; no collation of an argument (nocase, say) comes
-- into play. A word is an ASCII letter, digit or "_", followed by those and
-- "$" or "#"; anything else, a non-ASCII letter included, stands alone.

CREATE SCHEMA ea_dd;
CREATE SCHEMA availabledatareporting;

-- Replaces each qualifier of src (a text at the start of a word, directly followed by ".")
-- equal to froms[k], ASCII case ignored, by tos[k]; froms come longest first (in bytes), so a
-- label with blanks wins over a shorter one that begins it. Text between single quotes, a
-- doubled quote standing for itself, is left alone; an unclosed one runs to the end.
CREATE FUNCTION ea_dd.replace_qualifiers(src text, froms text[], tos text[]) RETURNS text
LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $$
DECLARE
  chars text[];
  folded text[];
  n integer;
  keys text[];
  widths integer[];
  result text := '';
  copied integer := 1;  -- the first character not yet in result
  i integer := 1;
  j integer;
  a integer;
  b integer;
  matched boolean;
BEGIN
  IF src IS NULL OR coalesce(cardinality(froms), 0) = 0 OR strpos(src COLLATE "C", '.') = 0 THEN
    RETURN src;
  END IF;
  FOR k IN 1 .. cardinality(froms) LOOP
    keys[k] := lower(froms[k] COLLATE "C");
    widths[k] := char_length(froms[k]);
  END LOOP;
  chars := string_to_array(src COLLATE "C", NULL);
  folded := string_to_array(lower(src COLLATE "C"), NULL);
  n := cardinality(chars);
  WHILE i <= n LOOP
    a := ascii(chars[i]);
    IF a = 39 THEN
      j := i + 1;
      LOOP
        WHILE j <= n AND ascii(chars[j]) <> 39 LOOP
          j := j + 1;
        END LOOP;
        EXIT WHEN j >= n OR ascii(chars[j + 1]) <> 39;
        j := j + 2;
      END LOOP;
      i := j + 1;
      CONTINUE;
    END IF;
    b := CASE WHEN i > 1 THEN ascii(chars[i - 1]) ELSE 0 END;
    IF (a BETWEEN 48 AND 57 OR a BETWEEN 65 AND 90 OR a BETWEEN 97 AND 122 OR a = 95)
       AND NOT (b BETWEEN 48 AND 57 OR b BETWEEN 65 AND 90 OR b BETWEEN 97 AND 122 OR b IN (95, 36, 35)) THEN
      matched := false;
      FOR k IN 1 .. cardinality(keys) LOOP
        j := i + widths[k];  -- where the "." must be
        IF j <= n AND ascii(chars[j]) = 46 AND array_to_string(folded[i:j - 1], '') = keys[k] THEN
          result := result || array_to_string(chars[copied:i - 1], '') || tos[k];
          i := j;
          copied := j;
          matched := true;
          EXIT;
        END IF;
      END LOOP;
      CONTINUE WHEN matched;
      i := i + 1;
      LOOP
        a := ascii(chars[i]);
        EXIT WHEN i > n OR NOT (a BETWEEN 48 AND 57 OR a BETWEEN 65 AND 90 OR a BETWEEN 97 AND 122
                                OR a IN (95, 36, 35));
        i := i + 1;
      END LOOP;
      CONTINUE;
    END IF;
    i := i + 1;
  END LOOP;
  RETURN result || array_to_string(chars[copied:n], '');
END
$$;

-- Each entity name used as a qualifier becomes the entity's label, where it has one. Of names
-- that differ only in case, the lowest entity id counts. Read afresh on every call, so a
-- relabelled entity shows at once; only the names that occur in src before a "." are taken,
-- which leaves none for most sources.
CREATE FUNCTION ea_dd.ea_replace_entity_names(src text) RETURNS text
LANGUAGE plpgsql STABLE STRICT PARALLEL SAFE SET search_path FROM CURRENT AS $$
DECLARE
  folded_src text COLLATE "C" := lower(src COLLATE "C");
  froms text[];
  tos text[];
BEGIN
  IF strpos(folded_src, '.') = 0 THEN
    RETURN src;
  END IF;
  SELECT array_agg(e.Entity_Name ORDER BY octet_length(e.Entity_Name) DESC, e.Entity_Id),
         array_agg(e.Entity_Label ORDER BY octet_length(e.Entity_Name) DESC, e.Entity_Id)
    INTO froms, tos
    FROM (SELECT DISTINCT ON (x.folded) t.Entity_Id, t.Entity_Name, t.Entity_Label
            FROM TQN_ENTITY t,
                 LATERAL (SELECT lower(t.Entity_Name COLLATE "C") AS folded) x
           WHERE t.Entity_Label IS NOT NULL AND t.Entity_Label <> ''
             AND strpos(folded_src, x.folded || '.') > 0
           ORDER BY x.folded, t.Entity_Id) e;
  RETURN ea_dd.replace_qualifiers(src, froms, tos);
END
$$;

-- The reverse: each label used as a qualifier becomes its entity's name, over the entities of
-- that module version (all of them when version_id is null).
CREATE FUNCTION ea_dd.ea_replace_entity_labels(version_id integer, src text) RETURNS text
LANGUAGE plpgsql STABLE PARALLEL SAFE SET search_path FROM CURRENT AS $$
DECLARE
  folded_src text COLLATE "C" := lower(src COLLATE "C");
  froms text[];
  tos text[];
BEGIN
  IF src IS NULL OR strpos(folded_src, '.') = 0 THEN
    RETURN src;
  END IF;
  SELECT array_agg(e.Entity_Label ORDER BY octet_length(e.Entity_Label) DESC, e.Entity_Id),
         array_agg(e.Entity_Name ORDER BY octet_length(e.Entity_Label) DESC, e.Entity_Id)
    INTO froms, tos
    FROM (SELECT DISTINCT ON (x.folded) t.Entity_Id, t.Entity_Name, t.Entity_Label
            FROM TQN_ENTITY t,
                 LATERAL (SELECT lower(t.Entity_Label COLLATE "C") AS folded) x
           WHERE t.Entity_Label IS NOT NULL AND t.Entity_Label <> ''
             AND (ea_replace_entity_labels.version_id IS NULL
                  OR t.Version_Id = ea_replace_entity_labels.version_id)
             AND strpos(folded_src, x.folded || '.') > 0
           ORDER BY x.folded, t.Entity_Id) e;
  RETURN ea_dd.replace_qualifiers(src, froms, tos);
END
$$;

-- "Avail_" and the file type, each character other than an ASCII letter, digit or "_" made
-- an "_" per byte: 'CDMA PEG-HOURLY' gives 'Avail_CDMA_PEG_HOURLY'.
CREATE FUNCTION availabledatareporting.tocalcfieldname(file_type text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN 'Avail_' || coalesce(
  (SELECT string_agg(CASE WHEN ascii(c) BETWEEN 48 AND 57 OR ascii(c) BETWEEN 65 AND 90
                               OR ascii(c) BETWEEN 97 AND 122 OR ascii(c) = 95
                          THEN c ELSE repeat('_', octet_length(c)) END, '' ORDER BY k)
     FROM unnest(string_to_array(file_type COLLATE "C", NULL)) WITH ORDINALITY AS t(c, k)), '');
)sql";

}  // namespace

std::string_view PostgresSchemaSql() { return kSchema; }

std::string PostgresDropSql() {
  // Every object the script creates at the start of a line, dropped in an order that needs no
  // dependency the cascade would reach beyond the dictionary: schemas (with their functions),
  // views, tables (with their triggers), trigger functions, sequences, the collation.
  static constexpr std::string_view kKinds[] = {"SCHEMA",   "VIEW",     "TABLE",
                                                "FUNCTION", "SEQUENCE", "COLLATION"};
  std::string drops;
  for (std::string_view kind : kKinds) {
    const std::string marker = "\nCREATE " + std::string(kind) + " ";
    for (size_t at = kSchema.find(marker); at != std::string_view::npos; at = kSchema.find(marker, at + 1)) {
      const size_t start = at + marker.size();
      const size_t end = kSchema.find_first_of(" (;\n", start);
      const std::string_view name = kSchema.substr(start, end - start);
      if (kind == "FUNCTION" && name.find('.') != std::string_view::npos) continue;  // gone with its schema
      drops += "DROP " + std::string(kind) + " IF EXISTS " + std::string(name) +
               (kind == "FUNCTION" ? "()" : "") + (kind == "COLLATION" ? ";\n" : " CASCADE;\n");
    }
  }
  return drops;
}

}  // namespace ridirodev::standalone
