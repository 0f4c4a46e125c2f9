-- Account database on PostgreSQL, schema version 4: the journal's node rows keyed by FEntryID, their
-- place in the run (data/sql/schema/004_journal_entries.sql explains why), without the index by node.

CREATE TABLE t_DeployRunNode_4 (
    FEntryID     bigint PRIMARY KEY
                 CHECK (FEntryID BETWEEN FRunID * 4294967296 + 1 AND FRunID * 4294967296 + 4294967295),
    FRunID       integer NOT NULL REFERENCES t_DeployRun (FRunID) ON DELETE CASCADE,
    FLevel       integer NOT NULL CHECK (FLevel BETWEEN 1 AND 4),
    FNodeID      integer NOT NULL CHECK (FNodeID BETWEEN 1 AND 2147483647),
    FParentID    integer NOT NULL CHECK (FParentID BETWEEN 0 AND 2147483647),
    FIndex       integer NOT NULL CHECK (FIndex BETWEEN 0 AND 2147483647),
    FName_CHS    text COLLATE "C" NOT NULL,
    FName_CHT    text COLLATE "C" NOT NULL,
    FName_EN     text COLLATE "C" NOT NULL,
    FClassName   text COLLATE "C",
    FSubID       text COLLATE "C",
    FClassParam  text COLLATE "C",
    FHelpCode    text COLLATE "C",
    FVisible     integer NOT NULL CHECK (FVisible IN (0, 1))
);

INSERT INTO t_DeployRunNode_4
SELECT FRunID * 4294967296 + row_number() OVER (PARTITION BY FRunID ORDER BY FLevel, FNodeID), FRunID, FLevel,
       FNodeID, FParentID, FIndex, FName_CHS, FName_CHT, FName_EN, FClassName, FSubID, FClassParam, FHelpCode,
       FVisible
FROM t_DeployRunNode;

DROP TABLE t_DeployRunNode;
ALTER TABLE t_DeployRunNode_4 RENAME TO t_DeployRunNode;
ALTER INDEX t_DeployRunNode_4_pkey RENAME TO t_DeployRunNode_pkey;

UPDATE orva_account SET schema_version = 4;
