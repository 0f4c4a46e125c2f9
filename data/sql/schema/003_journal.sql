-- Account database, schema version 3: the deployment journal.
--
-- Every run that writes into the catalogue (a deployment from the command line or a host, a publish
-- from the dialog, an undo, the demo data of a new account) gets a row in t_DeployRun, and every node
-- it created a row in t_DeployRunNode. A node's journal row is written in the same transaction as the
-- node, so the two exist together or not at all, also after a crash; a run's row is committed when
-- the run starts (FFinished NULL, FResult NULL) and completed when it ends, so a run that was killed
-- stays visible with the nodes it made. Accounts migrated from version 2 start with an empty journal:
-- what earlier runs made is not known.
--
-- Runs
--   FRunID counts up (AUTOINCREMENT: an id is never reused), so a larger id is a later start.
--   FStarted and FFinished are UTC, "YYYY-MM-DDTHH:MM:SSZ", which sorts as it reads; history lists
--   by (FStarted, FRunID) through ix_DeployRun_Started. FOrigin names the caller: deploy (the command
--   line), host (a host's deployment call), publish (the publish dialog), undo, init (the demo data).
--   FPacketFile and FPacketSha256 (64 lower-case hex digits) are NULL where no packet file was read.
--   FUndoOfRunID, on an undo run, is the run it undoes; the run that undid a run is the undo run
--   pointing at it with FResult 1 (ix_DeployRun_UndoOf finds it).
-- Messages
--   The message list as printed, one row per line in order.
-- Nodes
--   What the run created, as created: level (1 top class .. 4 function detail), id, parent id (0
--   for a top class), sibling index, names in the three languages, the attributes the level has
--   (NULL where it has none) and visibility. An undo compares these with the node as it stands.
--   ix_DeployRunNode_Node finds the runs that created a node. No foreign key points at the
--   catalogue: the journal outlives the nodes it describes.

CREATE TABLE t_DeployRun (
    FRunID         INTEGER PRIMARY KEY AUTOINCREMENT CHECK (FRunID BETWEEN 1 AND 2147483647),
    FStarted       TEXT NOT NULL,
    FFinished      TEXT,
    FOrigin        TEXT NOT NULL CHECK (FOrigin IN ('deploy', 'host', 'publish', 'undo', 'init')),
    FUser          TEXT NOT NULL,
    FHost          TEXT NOT NULL,
    FProgram       TEXT NOT NULL,
    FPacketFile    TEXT,
    FPacketSha256  TEXT,
    FLanguage      TEXT NOT NULL,
    FResult        INTEGER CHECK (FResult IN (0, 1)),
    FUndoOfRunID   INTEGER REFERENCES t_DeployRun (FRunID) ON DELETE RESTRICT
) STRICT;

CREATE INDEX ix_DeployRun_Started ON t_DeployRun (FStarted, FRunID);
CREATE INDEX ix_DeployRun_UndoOf ON t_DeployRun (FUndoOfRunID) WHERE FUndoOfRunID IS NOT NULL;

CREATE TABLE t_DeployRunMessage (
    FRunID  INTEGER NOT NULL REFERENCES t_DeployRun (FRunID) ON DELETE CASCADE,
    FLine   INTEGER NOT NULL CHECK (FLine >= 1),
    FText   TEXT NOT NULL,
    PRIMARY KEY (FRunID, FLine)
) STRICT, WITHOUT ROWID;

CREATE TABLE t_DeployRunNode (
    FRunID       INTEGER NOT NULL REFERENCES t_DeployRun (FRunID) ON DELETE CASCADE,
    FLevel       INTEGER NOT NULL CHECK (FLevel BETWEEN 1 AND 4),
    FNodeID      INTEGER NOT NULL CHECK (FNodeID BETWEEN 1 AND 2147483647),
    FParentID    INTEGER NOT NULL CHECK (FParentID BETWEEN 0 AND 2147483647),
    FIndex       INTEGER NOT NULL CHECK (FIndex BETWEEN 0 AND 2147483647),
    FName_CHS    TEXT NOT NULL,
    FName_CHT    TEXT NOT NULL,
    FName_EN     TEXT NOT NULL,
    FClassName   TEXT,
    FSubID       TEXT,
    FClassParam  TEXT,
    FHelpCode    TEXT,
    FVisible     INTEGER NOT NULL CHECK (FVisible IN (0, 1)),
    PRIMARY KEY (FRunID, FLevel, FNodeID)
) STRICT, WITHOUT ROWID;

CREATE INDEX ix_DeployRunNode_Node ON t_DeployRunNode (FLevel, FNodeID);

PRAGMA user_version = 3;
