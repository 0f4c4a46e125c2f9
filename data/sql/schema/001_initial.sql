-- Account database, schema version 1.
--
-- One SQLite file is one account. It holds the console catalogue (the four-level function tree the
-- main console shows) and the suite metadata that the publishing dialogs read (business subsystems,
-- class types, bill actions, reports). Hosts name the file in their properties string, for
-- example "Language=EN;ConnectString=sqlite:/srv/orva/account.db;".
--
-- Applying and migrating
--   Migration N is the file data/sql/schema/00N_*.sql. The opener applies every migration whose
--   number is greater than PRAGMA user_version, in ascending order; each file ends by setting
--   user_version to its own number. The files hold no BEGIN/COMMIT: the applier wraps each one in
--   BEGIN IMMEDIATE ... COMMIT and reads user_version again after BEGIN IMMEDIATE, so that two
--   processes opening a new account at the same moment apply a migration once (the second one
--   waits on the write lock, then finds the new version and skips the file). user_version and
--   application_id live in the database header and are written inside the same transaction.
--   application_id 0x4F525641 ("ORVA") marks the file as an account; an opener that finds another
--   non-zero application_id is looking at somebody else's database and must not migrate it.
--
-- Connection settings the opener sets (they are per connection or cannot run inside a
-- transaction, so they do not belong in this file): PRAGMA foreign_keys = ON on every connection
-- (SQLite does not enforce the foreign keys below otherwise), PRAGMA journal_mode = WAL once, and a
-- busy timeout. STRICT tables need SQLite 3.37 or later.
--
-- Identifiers
--   Every identifier is an INTEGER PRIMARY KEY (the rowid itself, so lookups by id cost one B-tree
--   search) limited by CHECK to 1 .. 2147483647: callers hold identifiers as signed 32-bit
--   integers, 0 means "a node that does not exist yet" and -1 "a name typed by the user" in the
--   dialogs, so neither may name a stored row. The catalogue tables use AUTOINCREMENT: a new node
--   gets max(ever used) + 1 and an id is never handed out again after its node was deleted, so an
--   id kept in an open dialog or a packet cannot come to mean an unrelated node. When the range is
--   used up the CHECK refuses the insert instead of storing an id that callers cannot hold.
--   Metadata identifiers (class types, reports, business subsystems) are assigned by the suite and
--   inserted explicitly. Class types that users design themselves are numbered from 200000000 up;
--   the publish dialog lists only those.
--
-- Sibling index (FIndex)
--   The position of a node among the children of its parent; the console and the readers list
--   siblings ordered by FIndex, then by id. Only the order counts: gaps are allowed, and FIndex is
--   deliberately not unique, because the writer's "next index" (1 + the largest FIndex under the
--   parent, 1 for the first child) and the create call are two separate calls, and two
--   deployments running at once may both receive the same index. A unique index would turn that
--   harmless tie into a failed deployment; the id breaks the tie instead. Top classes have no
--   parent (callers pass parent 0); their FIndex orders the top level.
--
-- Name columns
--   Each node stores its name in Simplified Chinese, Traditional Chinese and English. The column
--   names are the field names callers read (FTopClassName_CHS, FName_CHS, FFuncName_CHS, ...), so a
--   reader selects them as they are and adds one column for the host's language under the plain
--   name (FTopClassName, FName, FFuncName). The reader maps the language code to one of the three
--   fixed column names and never pastes the code into SQL; an unknown code reads CHS. A node created
--   with one name (a deployment) carries that name in all three columns. The writer's FSysName of
--   a subsystem is stored in FName_*.
--
-- Normalised name key (FNameKey)
--   Deployments find nodes by name: two names are equal when they are equal after upper-casing and
--   removing leading and trailing blanks. FNameKey stores that form of FName_CHS (or
--   FTopClassName_CHS / FFuncName_CHS): Unicode simple upper-case mapping, then trimming of U+0020
--   only, exactly as the library's own text helpers do. The writer computes it in C++ because
--   SQLite's upper() folds ASCII letters only; nothing in the database recomputes or checks it.
--   Top classes, subsystems and sub-functions are UNIQUE on (parent, FNameKey): when two
--   deployments miss the same node at the same moment, both try to create it and the second
--   create fails instead of leaving two nodes of one name under one parent, which would make
--   every later "find by name" depend on row order. Function details are UNIQUE on
--   (parent, FNameKey, FClassParam), the same rule by which a deployment treats a function as
--   already present; the same name with another class parameter is a further, legitimate node.
--   Can an existing catalogue legitimately hold duplicates? Not one built through this schema:
--   every node is created through the writer. A catalogue imported from elsewhere may hold two
--   siblings whose Chinese names differ only in letter case or blanks; such siblings cannot be
--   told apart by a deployment either, so an import must merge or rename them first. Hidden nodes
--   count too (FVisible plays no part in the key): the readers' "all" queries return hidden nodes,
--   so a deployment finds a hidden node instead of colliding with it.
--   The key covers the Chinese column only. A deployment creates its nodes with the same name in all
--   three columns, so two concurrent deployments in any language still collide on it. A create can
--   therefore be refused only when another sibling's Chinese name equals the new name while that
--   sibling's name in the host's language differs: a clash a person has to resolve anyway.
--
-- Visibility (FVisible)
--   1 shows the node in the console, 0 hides it (an unlicensed module, a retired entry). It is kept,
--   not enforced: readers return hidden nodes too, and deployments create visible nodes.
--
-- Foreign keys
--   Catalogue children reference their parent with ON DELETE RESTRICT. Nothing in the suite deletes
--   console nodes as a side effect; a parent deleted by mistake must not silently take every
--   function published under it along. A tool that removes a subtree does so explicitly, from the
--   details up, in one transaction. Class types and reports reference their business subsystem with
--   RESTRICT for the same reason. Bill actions belong to their class type and go with it
--   (ON DELETE CASCADE): an action has no meaning without its bill.
--
-- Indexes
--   Each catalogue child table has (parent, FIndex, id): it answers "the children of X in order"
--   and "the largest FIndex under X" without sorting, and serves the parent-key check SQLite runs
--   when a parent row is deleted. The UNIQUE name-key indexes above also serve "find by name".
--   Metadata tables have one index each for the query the dialogs run: class types by subsystem and
--   kind, reports by subsystem, bill actions by class type in their order.

PRAGMA application_id = 1330796097;  -- 0x4F525641, "ORVA"

-- ---------------------------------------------------------------------------------------------
-- Console catalogue
-- ---------------------------------------------------------------------------------------------

-- Level 1. The top class named "我的Orva" is the user's own area of the console; the publishing
-- dialogs never offer it as a target. It is an ordinary row here.
CREATE TABLE t_TopClass (
    FTopClassID       INTEGER PRIMARY KEY AUTOINCREMENT
                      CHECK (FTopClassID BETWEEN 1 AND 2147483647),
    FIndex            INTEGER NOT NULL CHECK (FIndex BETWEEN 0 AND 2147483647),
    FTopClassName_CHS TEXT    NOT NULL,
    FTopClassName_CHT TEXT    NOT NULL,
    FTopClassName_EN  TEXT    NOT NULL,
    FNameKey          TEXT    NOT NULL,
    FVisible          INTEGER NOT NULL DEFAULT 1 CHECK (FVisible IN (0, 1))
) STRICT;

CREATE UNIQUE INDEX ux_TopClass_NameKey ON t_TopClass (FNameKey);
CREATE INDEX ix_TopClass_Order ON t_TopClass (FIndex, FTopClassID);

-- Level 2. FClassName is the class of the runtime host that opens the subsystem and FSubID the
-- subsystem code handed to it; deployments write "OrvaHost.Application" and "orvahost".
CREATE TABLE t_SubSystem (
    FSubSysID    INTEGER PRIMARY KEY AUTOINCREMENT CHECK (FSubSysID BETWEEN 1 AND 2147483647),
    FTopClassID  INTEGER NOT NULL REFERENCES t_TopClass (FTopClassID) ON DELETE RESTRICT,
    FIndex       INTEGER NOT NULL CHECK (FIndex BETWEEN 0 AND 2147483647),
    FName_CHS    TEXT    NOT NULL,
    FName_CHT    TEXT    NOT NULL,
    FName_EN     TEXT    NOT NULL,
    FNameKey     TEXT    NOT NULL,
    FClassName   TEXT    NOT NULL DEFAULT 'OrvaHost.Application',
    FSubID       TEXT    NOT NULL DEFAULT '',
    FVisible     INTEGER NOT NULL DEFAULT 1 CHECK (FVisible IN (0, 1))
) STRICT;

CREATE UNIQUE INDEX ux_SubSystem_NameKey ON t_SubSystem (FTopClassID, FNameKey);
CREATE INDEX ix_SubSystem_Order ON t_SubSystem (FTopClassID, FIndex, FSubSysID);

-- Level 3.
CREATE TABLE t_SubFunc (
    FSubFuncID     INTEGER PRIMARY KEY AUTOINCREMENT CHECK (FSubFuncID BETWEEN 1 AND 2147483647),
    FSubSysID      INTEGER NOT NULL REFERENCES t_SubSystem (FSubSysID) ON DELETE RESTRICT,
    FIndex         INTEGER NOT NULL CHECK (FIndex BETWEEN 0 AND 2147483647),
    FFuncName_CHS  TEXT    NOT NULL,
    FFuncName_CHT  TEXT    NOT NULL,
    FFuncName_EN   TEXT    NOT NULL,
    FNameKey       TEXT    NOT NULL,
    FClassName     TEXT    NOT NULL DEFAULT 'OrvaHost.Application',
    FVisible       INTEGER NOT NULL DEFAULT 1 CHECK (FVisible IN (0, 1))
) STRICT;

CREATE UNIQUE INDEX ux_SubFunc_NameKey ON t_SubFunc (FSubSysID, FNameKey);
CREATE INDEX ix_SubFunc_Order ON t_SubFunc (FSubSysID, FIndex, FSubFuncID);

-- Level 4: a launchable entry. The runtime host FClassName opens it with the parameter string
-- FClassParam, for example "Base|1003" (maintain base data of class type 1003), "Bill|81" (enter a
-- bill), "List|81" (the bill's list), "SQLRPT|5001", "CROSSRPT|5102" or "NEWCROSSRPT|5103"
-- (reports). FClassParam compares exactly, letter case and blanks included. FHelpCode is the help
-- topic; deployments write the empty text.
CREATE TABLE t_DetailFunc (
    FDetailFuncID  INTEGER PRIMARY KEY AUTOINCREMENT
                   CHECK (FDetailFuncID BETWEEN 1 AND 2147483647),
    FSubFuncID     INTEGER NOT NULL REFERENCES t_SubFunc (FSubFuncID) ON DELETE RESTRICT,
    FIndex         INTEGER NOT NULL CHECK (FIndex BETWEEN 0 AND 2147483647),
    FFuncName_CHS  TEXT    NOT NULL,
    FFuncName_CHT  TEXT    NOT NULL,
    FFuncName_EN   TEXT    NOT NULL,
    FNameKey       TEXT    NOT NULL,
    FClassName     TEXT    NOT NULL DEFAULT 'OrvaHost.Application',
    FClassParam    TEXT    NOT NULL,
    FHelpCode      TEXT    NOT NULL DEFAULT '',
    FVisible       INTEGER NOT NULL DEFAULT 1 CHECK (FVisible IN (0, 1))
) STRICT;

CREATE UNIQUE INDEX ux_DetailFunc_NameKey ON t_DetailFunc (FSubFuncID, FNameKey, FClassParam);
CREATE INDEX ix_DetailFunc_Order ON t_DetailFunc (FSubFuncID, FIndex, FDetailFuncID);

-- ---------------------------------------------------------------------------------------------
-- Suite metadata
-- ---------------------------------------------------------------------------------------------

-- Business subsystems: the modules that own class types and reports. FFunctionID is the number a
-- host passes as the publisher's SubSystem; the class-type filter of the publish dialog names it
-- "FFunctionID", hence the column name. These numbers are not console catalogue ids: a console
-- subsystem is a menu node that users may create, rename or hide, a business subsystem is part of
-- the suite's data model, and neither depends on the other.
CREATE TABLE t_BizSubSystem (
    FFunctionID  INTEGER PRIMARY KEY CHECK (FFunctionID BETWEEN 1 AND 2147483647),
    FName_CHS    TEXT    NOT NULL,
    FName_CHT    TEXT    NOT NULL,
    FName_EN     TEXT    NOT NULL
) STRICT;

-- Business-object class types. FBillTypeID tells the kind: 1 base data (one maintenance function,
-- "Base|" + FID), 4 bill (one function per bill action, "Bill|" or "List|" + FID), any other value
-- a query object (one query function). The wizard composes a type's multi-language name (FMName)
-- as FName_CHS "|" FName_CHT "|" FName_EN and splits it again at "|", so the names must not hold
-- that character; the CHECKs make a bad row fail where it is written, not in a dialog later.
CREATE TABLE t_ClassType (
    FID          INTEGER PRIMARY KEY CHECK (FID BETWEEN 1 AND 2147483647),
    FName_CHS    TEXT    NOT NULL CHECK (instr(FName_CHS, '|') = 0),
    FName_CHT    TEXT    NOT NULL CHECK (instr(FName_CHT, '|') = 0),
    FName_EN     TEXT    NOT NULL CHECK (instr(FName_EN, '|') = 0),
    FBillTypeID  INTEGER NOT NULL CHECK (FBillTypeID BETWEEN -2147483648 AND 2147483647),
    FFunctionID  INTEGER NOT NULL REFERENCES t_BizSubSystem (FFunctionID) ON DELETE RESTRICT
) STRICT;

-- The publish dialog asks for the types of one subsystem and one kind, from id 200000000 up.
CREATE INDEX ix_ClassType_Subsystem ON t_ClassType (FFunctionID, FBillTypeID, FID);

-- Actions of a bill type, returned to the dialogs as a dictionary keyed by FKey in FOrder order.
-- The dictionary matches keys without regard to letter case, so FKey is unique under NOCASE; keys
-- are menu identifiers ("mnuFileNew", "mnuViewList"), ASCII letters, digits and "_" only, for which
-- NOCASE is exact. FEnvironment is the set of places the action is available in: bits 1, 2, 4 and
-- 32 (mask 39) are places inside the bill form, bits 64, 128, 256 and 512 (mask 960) places in the
-- bill list; an action with neither is not offered for publishing. The names become parts of a
-- multi-language name, hence the same "|" rule as for class types.
CREATE TABLE t_BillAction (
    FClassTypeID  INTEGER NOT NULL REFERENCES t_ClassType (FID) ON DELETE CASCADE,
    FKey          TEXT    NOT NULL COLLATE NOCASE
                  CHECK (FKey <> '' AND FKey NOT GLOB '*[^A-Za-z0-9_]*'),
    FOrder        INTEGER NOT NULL CHECK (FOrder BETWEEN 0 AND 2147483647),
    FName_CHS     TEXT    NOT NULL CHECK (instr(FName_CHS, '|') = 0),
    FName_CHT     TEXT    NOT NULL CHECK (instr(FName_CHT, '|') = 0),
    FName_EN      TEXT    NOT NULL CHECK (instr(FName_EN, '|') = 0),
    FEnvironment  INTEGER NOT NULL CHECK (FEnvironment BETWEEN -2147483648 AND 2147483647),
    PRIMARY KEY (FClassTypeID, FKey)
) STRICT;

CREATE INDEX ix_BillAction_Order ON t_BillAction (FClassTypeID, FOrder, FKey);

-- Reports. FType selects the report engine and with it the parameter string of the report's query
-- function: 1000 "CROSSRPT|" + FID, 1002 "NEWCROSSRPT|" + FID, anything else (1001 is the usual
-- value, a plain SQL report) "SQLRPT|" + FID. Other values are allowed, not refused.
CREATE TABLE t_Report (
    FID          INTEGER PRIMARY KEY CHECK (FID BETWEEN 1 AND 2147483647),
    FName_CHS    TEXT    NOT NULL,
    FName_CHT    TEXT    NOT NULL,
    FName_EN     TEXT    NOT NULL,
    FType        INTEGER NOT NULL CHECK (FType BETWEEN -2147483648 AND 2147483647),
    FFunctionID  INTEGER NOT NULL REFERENCES t_BizSubSystem (FFunctionID) ON DELETE RESTRICT
) STRICT;

CREATE INDEX ix_Report_Subsystem ON t_Report (FFunctionID, FID);

PRAGMA user_version = 1;
