-- Account database, schema version 4: the journal's node rows without an index by node.
--
-- Version 3 indexed t_DeployRunNode by (FLevel, FNodeID), to find the runs that created a node.
-- Nothing looks a node up that way: history, undo and the checks before an undo read a run's rows
-- through the table's key, which begins with FRunID. Yet every node a deployment creates paid for the
-- index: its entry is one more B-tree page written to the write-ahead log with each node's own
-- commit, which made the journal cost about twice what its rows alone cost. The rows stay as they
-- are; only the index goes.

DROP INDEX ix_DeployRunNode_Node;

PRAGMA user_version = 4;
