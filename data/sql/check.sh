#!/usr/bin/env bash
# Builds a demo account from the SQL files and checks it: schema version, foreign keys, integrity,
# the demo's own consistency (class parameters that name existing types and reports), and the
# constraints the writer relies on (unique sibling names, id range, RESTRICT, CASCADE, STRICT).
#
# Usage: data/sql/check.sh [account.db]
#   Without an argument the account is built in a temporary folder and removed afterwards; with a
#   path (which must not exist yet) the built account is kept there.
# Exit status 0 when every check passes; otherwise the failed checks are listed on stderr.
set -u

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
db="${1:-$tmp/account.db}"
if [[ -e "$db" ]]; then
    echo "check.sh: $db already exists" >&2
    exit 2
fi
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Runs SQL on the account with foreign keys on; stops at the first error.
run() { sqlite3 -bail -batch -cmd 'PRAGMA foreign_keys = ON' "$db" "$@"; }

# Applies one SQL file as one transaction, the way the account opener does.
apply() { { echo 'BEGIN IMMEDIATE;'; cat "$1"; echo 'COMMIT;'; } | run; }

# expect_none LABEL SQL: the query must return no rows.
expect_none() {
    local out
    out="$(run "$2" 2>&1)" || { fail "$1: $out"; return; }
    [[ -z "$out" ]] || fail "$1: unexpected rows:"$'\n'"$out"
}

# expect_equal LABEL EXPECTED SQL: the statements, run inside a rolled-back transaction, print EXPECTED.
expect_equal() {
    local out
    out="$(run "BEGIN; $3; ROLLBACK;" 2>&1)" || { fail "$1: $out"; return; }
    [[ "$out" == "$2" ]] || fail "$1: expected '$2', got '$out'"
}

# expect_error LABEL MESSAGE SQL: the statements must fail with an error containing MESSAGE.
expect_error() {
    local out
    if out="$(run "BEGIN; $3; ROLLBACK;" 2>&1)"; then
        fail "$1: succeeded, expected '$2'"
    elif [[ "$out" != *"$2"* ]]; then
        fail "$1: expected '$2', got '$out'"
    fi
}

version="$(sqlite3 -version | cut -d' ' -f1)"
if [[ "$(printf '%s\n3.37.0\n' "$version" | sort -V | head -n1)" != "3.37.0" ]]; then
    echo "check.sh: sqlite3 $version is too old (STRICT tables need 3.37)" >&2
    exit 2
fi

apply "$here/schema/001_initial.sql" || { echo "check.sh: schema failed" >&2; exit 1; }
expect_equal "schema version" "1" "PRAGMA user_version"
expect_equal "application id" "1330796097" "PRAGMA application_id"
apply "$here/demo/demo_account.sql" || { echo "check.sh: demo failed" >&2; exit 1; }

expect_none "foreign keys" "PRAGMA foreign_key_check"
expect_equal "integrity" "ok" "PRAGMA integrity_check"

# The demo's names are CJK plus ASCII, for which SQLite's upper() is the real key.
expect_none "name keys" "
    SELECT 'top', FTopClassID FROM t_TopClass WHERE FNameKey <> upper(trim(FTopClassName_CHS, ' '))
    UNION ALL SELECT 'sub', FSubSysID FROM t_SubSystem WHERE FNameKey <> upper(trim(FName_CHS, ' '))
    UNION ALL SELECT 'func', FSubFuncID FROM t_SubFunc WHERE FNameKey <> upper(trim(FFuncName_CHS, ' '))
    UNION ALL SELECT 'detail', FDetailFuncID FROM t_DetailFunc
              WHERE FNameKey <> upper(trim(FFuncName_CHS, ' '))"
expect_none "class parameters name a type of the right kind" "
    SELECT d.FDetailFuncID, d.FClassParam FROM t_DetailFunc d
    LEFT JOIN t_ClassType c ON c.FID = CAST(substr(d.FClassParam, instr(d.FClassParam, '|') + 1) AS INTEGER)
    WHERE (d.FClassParam LIKE 'Base|%' AND (c.FID IS NULL OR c.FBillTypeID <> 1))
       OR ((d.FClassParam LIKE 'Bill|%' OR d.FClassParam LIKE 'List|%')
           AND (c.FID IS NULL OR c.FBillTypeID <> 4))"
expect_none "report tags name a report of that kind" "
    SELECT d.FDetailFuncID, d.FClassParam FROM t_DetailFunc d
    LEFT JOIN t_Report r ON r.FID = CAST(substr(d.FClassParam, instr(d.FClassParam, '|') + 1) AS INTEGER)
    WHERE d.FClassParam GLOB '*RPT|*'
      AND (r.FID IS NULL OR d.FClassParam <> CASE r.FType WHEN 1000 THEN 'CROSSRPT|' WHEN 1002 THEN 'NEWCROSSRPT|'
                                               ELSE 'SQLRPT|' END || r.FID)"
expect_equal "one top class 我的Orva" "1" "SELECT count(*) FROM t_TopClass WHERE FTopClassName_CHS = '我的Orva'"
expect_equal "siblings in FIndex order" "201,202,205,203,204" "
    SELECT group_concat(FSubSysID) FROM (SELECT FSubSysID FROM t_SubSystem WHERE FTopClassID = 2
                                         ORDER BY FIndex, FSubSysID)"
expect_equal "report kinds in Sales" "1000,1001,1002" "
    SELECT group_concat(FType) FROM (SELECT DISTINCT FType FROM t_Report WHERE FFunctionID = 12 ORDER BY FType)"

top="INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, FNameKey)"
sub="INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FNameKey)"
detail="INSERT INTO t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey,
                                  FClassParam)"
expect_equal "new node takes the next id" "6" "$top VALUES (6, 'New', 'New', 'New', 'NEW'); SELECT last_insert_rowid()"
expect_error "same top-class key refused" "UNIQUE constraint failed" \
    "$top VALUES (6, '我的orva ', '我的orva ', 'x', '我的ORVA')"
expect_error "same subsystem key under one parent refused" "UNIQUE constraint failed" \
    "$sub VALUES (3, 9, 'Sales', 'Sales', 'Sales', '销售管理')"
expect_equal "same subsystem key under another parent accepted" "1" \
    "$sub VALUES (4, 9, '销售管理', '銷售管理', 'Sales', '销售管理'); SELECT changes()"
expect_equal "same detail name with another class parameter accepted" "1" \
    "$detail VALUES (1071, 9, '客户', '客戶', 'Customers', '客户', 'Base|200000009'); SELECT changes()"
expect_error "same detail name and class parameter refused" "UNIQUE constraint failed" \
    "$detail VALUES (1071, 9, '客户', '客戶', 'Customers', '客户', 'Base|1003')"
expect_error "id beyond 32 bits refused" "CHECK constraint failed" \
    "INSERT INTO t_TopClass VALUES (2147483648, 9, 'x', 'x', 'x', 'X', 1)"
expect_error "id 0 refused" "CHECK constraint failed" "INSERT INTO t_TopClass VALUES (0, 9, 'x', 'x', 'x', 'X', 1)"
expect_error "text in an integer column refused" "cannot store TEXT value in INTEGER column" \
    "UPDATE t_TopClass SET FVisible = 'yes' WHERE FTopClassID = 2"
expect_error "subsystem without top class refused" "FOREIGN KEY constraint failed" \
    "$sub VALUES (99, 1, 'x', 'x', 'x', 'X')"
expect_error "top class with subsystems cannot be deleted" "FOREIGN KEY constraint failed" \
    "DELETE FROM t_TopClass WHERE FTopClassID = 2"
expect_error "action keys differing in case refused" "UNIQUE constraint failed" \
    "INSERT INTO t_BillAction VALUES (81, 'MNUFILENEW', 9, 'x', 'x', 'x', 1)"
expect_error "'|' in a class-type name refused" "CHECK constraint failed" \
    "UPDATE t_ClassType SET FName_EN = 'Sales|Order' WHERE FID = 81"
expect_equal "deleting a class type removes its actions" "0" \
    "DELETE FROM t_ClassType WHERE FID = 200000003; SELECT count(*) FROM t_BillAction WHERE FClassTypeID = 200000003"
if apply "$here/demo/demo_account.sql" 2>/dev/null; then fail "demo applied twice"; fi

# Version 2. The library computes the name keys in C++; the demo's names are CJK plus ASCII, for which
# SQLite's upper() gives the same keys, so the shell can stand in for it here.
keys="CREATE TEMP TABLE orva_name_keys (FLevel INTEGER, FID INTEGER, FKey_CHS TEXT, FKey_CHT TEXT, FKey_EN TEXT,
                                        PRIMARY KEY (FLevel, FID));"
for level_row in "1 FTopClassID FTopClassName t_TopClass" "2 FSubSysID FName t_SubSystem" \
            "3 FSubFuncID FFuncName t_SubFunc" "4 FDetailFuncID FFuncName t_DetailFunc"; do
    read -r level id stem table <<<"$level_row"
    keys+=" INSERT INTO temp.orva_name_keys SELECT $level, $id, upper(trim(${stem}_CHS, ' ')),
            upper(trim(${stem}_CHT, ' ')), upper(trim(${stem}_EN, ' ')) FROM $table;"
done
{ echo 'BEGIN IMMEDIATE;'; echo "$keys"; cat "$here/schema/002_name_keys.sql"; echo 'COMMIT;'; } | run ||
    { echo "check.sh: migration 2 failed" >&2; exit 1; }
expect_equal "schema version 2" "2" "PRAGMA user_version"
expect_equal "English key" "SUPPLY CHAIN" "SELECT FNameKey_EN FROM t_TopClass WHERE FTopClassID = 3"
expect_none "foreign keys after migration 2" "PRAGMA foreign_key_check"
expect_equal "integrity after migration 2" "ok" "PRAGMA integrity_check"
top2="INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, FNameKey_CHS,
                              FNameKey_CHT, FNameKey_EN)"
expect_error "same English key refused" "UNIQUE constraint failed" \
    "$top2 VALUES (90, '新', '新', 'Supply Chain', '新', '新', 'SUPPLY CHAIN')"
expect_error "same sibling index refused" "UNIQUE constraint failed" \
    "$top2 VALUES ((SELECT FIndex FROM t_TopClass WHERE FTopClassID = 3), '新', '新', 'New', '新', '新', 'NEW')"

apply "$here/schema/003_journal.sql" || { echo "check.sh: migration 3 failed" >&2; exit 1; }
expect_equal "schema version 3" "3" "PRAGMA user_version"
expect_equal "an empty journal" "0" "SELECT count(*) FROM t_DeployRun"
run_row="INSERT INTO t_DeployRun (FStarted, FOrigin, FUser, FHost, FProgram, FLanguage)"
expect_error "unknown origin refused" "CHECK constraint failed" "$run_row VALUES ('t', 'wizard', 'u', 'h', 'p', 'CHS')"
expect_error "undo of no run refused" "FOREIGN KEY constraint failed" \
    "INSERT INTO t_DeployRun (FStarted, FOrigin, FUser, FHost, FProgram, FLanguage, FUndoOfRunID)
     VALUES ('t', 'undo', 'u', 'h', 'p', 'CHS', 99)"
expect_error "node of no run refused" "FOREIGN KEY constraint failed" \
    "INSERT INTO t_DeployRunNode VALUES (99, 4, 1, 1, 1, 'a', 'a', 'a', NULL, NULL, 'p', NULL, 1)"
expect_none "foreign keys after migration 3" "PRAGMA foreign_key_check"

apply "$here/schema/004_journal_entries.sql" || { echo "check.sh: migration 4 failed" >&2; exit 1; }
expect_equal "schema version 4" "4" "PRAGMA user_version"
expect_equal "journal rows keyed by their place in the run only" "0" \
    "SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND tbl_name = 't_DeployRunNode'"
node_row="INSERT INTO t_DeployRun (FStarted, FOrigin, FUser, FHost, FProgram, FLanguage)
          VALUES ('t', 'deploy', 'u', 'h', 'p', 'CHS');
          INSERT INTO t_DeployRunNode VALUES"
expect_error "journal row outside its run's range refused" "CHECK constraint failed" \
    "$node_row (1, 1, 4, 1, 1, 1, 'a', 'a', 'a', NULL, NULL, 'p', NULL, 1)"
expect_equal "journal row in its run's range" "1" \
    "$node_row (4294967297, 1, 4, 1, 1, 1, 'a', 'a', 'a', NULL, NULL, 'p', NULL, 1); SELECT count(*) FROM t_DeployRunNode"

if ((failures > 0)); then
    echo "check.sh: $failures check(s) failed" >&2
    exit 1
fi
if (($# > 0)); then
    echo "check.sh: account database checks passed; the account is kept in $db"
else
    echo "check.sh: account database checks passed"
fi
