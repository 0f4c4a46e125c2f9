-- Account database, schema version 4: the journal's node rows appended in the order they are made.
--
-- Version 3 kept t_DeployRunNode keyed by (FRunID, FLevel, FNodeID) and indexed by (FLevel, FNodeID).
-- Every node a deployment creates is committed on its own, and each commit writes every B-tree page
-- it changed to the write-ahead log: the row's leaf in the keyed table (split now and then, and a
-- keyed table rebalances three pages when it splits) and a leaf of the index, which nothing reads.
-- That made the journal cost about a quarter of what the node itself costs.
--
-- Now a row's key is FEntryID = FRunID * 2^32 + its place in the run (1, 2, ...): a run's rows are
-- one range of keys, read in order without an index, and the rows of the newest run are appended at
-- the end of the table, where a full leaf is split by starting a new one. A commit writes one page
-- of the journal, seldom two. The writers take the next place as the largest key in the run's range
-- plus one, inside the node's transaction. The index by node is gone; a run's rows are read by range.
-- A node is still journaled once per run: the writer journals only the nodes it has just inserted.
--
-- Rows of version 3 are numbered within their run by level, then identifier: the order readers
-- list them in.

CREATE TABLE t_DeployRunNode_4 (
    FEntryID     INTEGER PRIMARY KEY
                 CHECK (FEntryID BETWEEN FRunID * 4294967296 + 1 AND FRunID * 4294967296 + 4294967295),
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
    FVisible     INTEGER NOT NULL CHECK (FVisible IN (0, 1))
) STRICT;

INSERT INTO t_DeployRunNode_4
SELECT FRunID * 4294967296 + row_number() OVER (PARTITION BY FRunID ORDER BY FLevel, FNodeID), FRunID, FLevel,
       FNodeID, FParentID, FIndex, FName_CHS, FName_CHT, FName_EN, FClassName, FSubID, FClassParam, FHelpCode,
       FVisible
FROM t_DeployRunNode;

DROP TABLE t_DeployRunNode;
ALTER TABLE t_DeployRunNode_4 RENAME TO t_DeployRunNode;

PRAGMA user_version = 4;
