-- Account database, schema version 2: a name key per language, and unique sibling indexes.
--
-- Name keys
--   Version 1 kept one name key (FNameKey) of the Chinese name. A deployment in English or
--   traditional Chinese matched in its own language, missed, and only the create found the node by
--   its Chinese key; and a node could not be found by its name in another language at all. Now every
--   node carries a key per language, FNameKey_CHS, FNameKey_CHT and FNameKey_EN, each the form by
--   which deployments compare names: Unicode simple upper-case mapping, then trimming of U+0020.
--   The rule among siblings is whole: no two siblings share a name key (in one language column;
--   the writer also refuses, inside its transaction, a new node whose key in any language equals a
--   sibling's key in any language, and hands that sibling back instead). Function details keep
--   their exception: the same name with another class parameter is a further node.
--   SQLite's upper() folds ASCII letters only, so the keys cannot be computed here. Before this file
--   runs, the library fills the temporary table temp.orva_name_keys (FLevel 1 top class .. 4
--   function detail, FID, FKey_CHS, FKey_CHT, FKey_EN) with the keys of every node, computed by the
--   same C++ function the writer uses; this file moves them into the new columns.
--   Readers find a node by (parent, key in the reader's language) through the indexes below, so a
--   deployment's look-up costs one B-tree search however many siblings a node has.
--
-- Sibling index (FIndex)
--   Version 1 left FIndex non-unique, and concurrent deployments gave siblings the same index. Now
--   the writer takes the next free index inside its write transaction when the one it was given is
--   taken, and a unique index on (parent, FIndex) makes a tie impossible. Parents whose children
--   tie are renumbered 1, 2, ... in their current order (FIndex, then id), which the readers show
--   unchanged; other parents keep their numbers.

ALTER TABLE t_TopClass RENAME COLUMN FNameKey TO FNameKey_CHS;
ALTER TABLE t_TopClass ADD COLUMN FNameKey_CHT TEXT NOT NULL DEFAULT '';
ALTER TABLE t_TopClass ADD COLUMN FNameKey_EN TEXT NOT NULL DEFAULT '';
ALTER TABLE t_SubSystem RENAME COLUMN FNameKey TO FNameKey_CHS;
ALTER TABLE t_SubSystem ADD COLUMN FNameKey_CHT TEXT NOT NULL DEFAULT '';
ALTER TABLE t_SubSystem ADD COLUMN FNameKey_EN TEXT NOT NULL DEFAULT '';
ALTER TABLE t_SubFunc RENAME COLUMN FNameKey TO FNameKey_CHS;
ALTER TABLE t_SubFunc ADD COLUMN FNameKey_CHT TEXT NOT NULL DEFAULT '';
ALTER TABLE t_SubFunc ADD COLUMN FNameKey_EN TEXT NOT NULL DEFAULT '';
ALTER TABLE t_DetailFunc RENAME COLUMN FNameKey TO FNameKey_CHS;
ALTER TABLE t_DetailFunc ADD COLUMN FNameKey_CHT TEXT NOT NULL DEFAULT '';
ALTER TABLE t_DetailFunc ADD COLUMN FNameKey_EN TEXT NOT NULL DEFAULT '';

DROP INDEX ux_TopClass_NameKey;
DROP INDEX ux_SubSystem_NameKey;
DROP INDEX ux_SubFunc_NameKey;
DROP INDEX ux_DetailFunc_NameKey;

UPDATE t_TopClass SET (FNameKey_CHS, FNameKey_CHT, FNameKey_EN) =
    (SELECT FKey_CHS, FKey_CHT, FKey_EN FROM temp.orva_name_keys k WHERE k.FLevel = 1 AND k.FID = FTopClassID);
UPDATE t_SubSystem SET (FNameKey_CHS, FNameKey_CHT, FNameKey_EN) =
    (SELECT FKey_CHS, FKey_CHT, FKey_EN FROM temp.orva_name_keys k WHERE k.FLevel = 2 AND k.FID = FSubSysID);
UPDATE t_SubFunc SET (FNameKey_CHS, FNameKey_CHT, FNameKey_EN) =
    (SELECT FKey_CHS, FKey_CHT, FKey_EN FROM temp.orva_name_keys k WHERE k.FLevel = 3 AND k.FID = FSubFuncID);
UPDATE t_DetailFunc SET (FNameKey_CHS, FNameKey_CHT, FNameKey_EN) =
    (SELECT FKey_CHS, FKey_CHT, FKey_EN FROM temp.orva_name_keys k WHERE k.FLevel = 4 AND k.FID = FDetailFuncID);

CREATE UNIQUE INDEX ux_TopClass_Key_CHS ON t_TopClass (FNameKey_CHS);
CREATE UNIQUE INDEX ux_TopClass_Key_CHT ON t_TopClass (FNameKey_CHT);
CREATE UNIQUE INDEX ux_TopClass_Key_EN ON t_TopClass (FNameKey_EN);
CREATE UNIQUE INDEX ux_SubSystem_Key_CHS ON t_SubSystem (FTopClassID, FNameKey_CHS);
CREATE UNIQUE INDEX ux_SubSystem_Key_CHT ON t_SubSystem (FTopClassID, FNameKey_CHT);
CREATE UNIQUE INDEX ux_SubSystem_Key_EN ON t_SubSystem (FTopClassID, FNameKey_EN);
CREATE UNIQUE INDEX ux_SubFunc_Key_CHS ON t_SubFunc (FSubSysID, FNameKey_CHS);
CREATE UNIQUE INDEX ux_SubFunc_Key_CHT ON t_SubFunc (FSubSysID, FNameKey_CHT);
CREATE UNIQUE INDEX ux_SubFunc_Key_EN ON t_SubFunc (FSubSysID, FNameKey_EN);
CREATE UNIQUE INDEX ux_DetailFunc_Key_CHS ON t_DetailFunc (FSubFuncID, FNameKey_CHS, FClassParam);
CREATE UNIQUE INDEX ux_DetailFunc_Key_CHT ON t_DetailFunc (FSubFuncID, FNameKey_CHT, FClassParam);
CREATE UNIQUE INDEX ux_DetailFunc_Key_EN ON t_DetailFunc (FSubFuncID, FNameKey_EN, FClassParam);

-- Ties in FIndex: renumber the children of each parent that has one, in their current order.
UPDATE t_TopClass SET FIndex = r.n
FROM (SELECT FTopClassID AS id, row_number() OVER (ORDER BY FIndex, FTopClassID) AS n FROM t_TopClass
      WHERE EXISTS (SELECT 1 FROM t_TopClass GROUP BY FIndex HAVING count(*) > 1)) AS r
WHERE t_TopClass.FTopClassID = r.id;
UPDATE t_SubSystem SET FIndex = r.n
FROM (SELECT FSubSysID AS id, row_number() OVER (PARTITION BY FTopClassID ORDER BY FIndex, FSubSysID) AS n
      FROM t_SubSystem WHERE FTopClassID IN
          (SELECT FTopClassID FROM t_SubSystem GROUP BY FTopClassID, FIndex HAVING count(*) > 1)) AS r
WHERE t_SubSystem.FSubSysID = r.id;
UPDATE t_SubFunc SET FIndex = r.n
FROM (SELECT FSubFuncID AS id, row_number() OVER (PARTITION BY FSubSysID ORDER BY FIndex, FSubFuncID) AS n
      FROM t_SubFunc WHERE FSubSysID IN
          (SELECT FSubSysID FROM t_SubFunc GROUP BY FSubSysID, FIndex HAVING count(*) > 1)) AS r
WHERE t_SubFunc.FSubFuncID = r.id;
UPDATE t_DetailFunc SET FIndex = r.n
FROM (SELECT FDetailFuncID AS id,
             row_number() OVER (PARTITION BY FSubFuncID ORDER BY FIndex, FDetailFuncID) AS n
      FROM t_DetailFunc WHERE FSubFuncID IN
          (SELECT FSubFuncID FROM t_DetailFunc GROUP BY FSubFuncID, FIndex HAVING count(*) > 1)) AS r
WHERE t_DetailFunc.FDetailFuncID = r.id;

-- (parent, FIndex) is unique now; the index also lists the children in order and gives the largest
-- index under a parent in one descent, as the order indexes of version 1 did.
DROP INDEX ix_TopClass_Order;
DROP INDEX ix_SubSystem_Order;
DROP INDEX ix_SubFunc_Order;
DROP INDEX ix_DetailFunc_Order;
CREATE UNIQUE INDEX ux_TopClass_Index ON t_TopClass (FIndex);
CREATE UNIQUE INDEX ux_SubSystem_Index ON t_SubSystem (FTopClassID, FIndex);
CREATE UNIQUE INDEX ux_SubFunc_Index ON t_SubFunc (FSubSysID, FIndex);
CREATE UNIQUE INDEX ux_DetailFunc_Index ON t_DetailFunc (FSubFuncID, FIndex);

DROP TABLE temp.orva_name_keys;

PRAGMA user_version = 2;
