-- Account database on PostgreSQL, schema version 4: the journal's node rows without an index by node
-- (data/sql/schema/004_journal_node_index.sql explains why).

DROP INDEX ix_DeployRunNode_Node;

UPDATE orva_account SET schema_version = 4;
