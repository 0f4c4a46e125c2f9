#!/usr/bin/env bash
# Applies the PostgreSQL account layout to a scratch database and checks it: the marker row, the same
# tables, columns and indexes as the SQLite account of the same version, and the constraints the
# writer relies on (unique sibling name keys per language, unique sibling index, id range, identity,
# RESTRICT, CASCADE of bill actions, the bill action key rule, the "|" rule, "C" collation).
#
# Usage: data/sql/postgres/check.sh
#   The server is the one whose admin URI is in ORVA_TEST_POSTGRES; without it, a throwaway server is
#   started with scripts/pg-server and stopped afterwards. The scratch database is dropped at the end.
# Exit status: 0 every check passed; 1 a check failed (listed on stderr), or no server could be had
# under CI=true; 77 no server could be had otherwise (the check is skipped).
set -u

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
failures=0
server_dir=""
admin_uri=""
database=""

cleanup() {
    if [[ -n "$database" ]]; then
        psql -X -q "$admin_uri" -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" >/dev/null 2>&1
    fi
    if [[ -n "$server_dir" ]]; then
        "$root/scripts/pg-server" stop "$server_dir" >/dev/null 2>&1
        rm -rf "$server_dir"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# No server at all: a failure in CI, where one must be there; a skip elsewhere.
no_server() {
    if [[ "${CI:-}" == "true" ]]; then
        echo "check.sh: $1; failing, since CI=true" >&2
        exit 1
    fi
    echo "check.sh: $1; skipped" >&2
    exit 77
}

command -v psql >/dev/null || no_server "psql is not installed (Debian: postgresql-client-15)"
if [[ -n "${ORVA_TEST_POSTGRES:-}" ]]; then
    admin_uri=$ORVA_TEST_POSTGRES
else
    server_dir=$(mktemp -d)
    admin_uri=$("$root/scripts/pg-server" start "$server_dir") ||
        no_server "no PostgreSQL server: ORVA_TEST_POSTGRES is not set and scripts/pg-server could not start one"
fi

# The URI of another database on the same server: the admin URI with its path replaced.
database_uri() {
    [[ "$admin_uri" =~ ^(postgres(ql)?://[^/?]*)(/[^?]*)?(\?.*)?$ ]] ||
        { echo "check.sh: '$admin_uri' is not a postgresql:// URI" >&2; exit 1; }
    printf '%s/%s%s' "${BASH_REMATCH[1]}" "$1" "${BASH_REMATCH[4]}"
}

database="orva_check_$$_$RANDOM"
psql -X -q -v ON_ERROR_STOP=1 "$admin_uri" -c "CREATE DATABASE $database" >/dev/null ||
    { echo "check.sh: could not create the scratch database on $admin_uri" >&2; database=""; exit 1; }
db_uri=$(database_uri "$database")

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Runs SQL on the scratch database; stops at the first error, which names its SQLSTATE.
run() {
    printf '%s\n' '\set VERBOSITY verbose' 'SET client_min_messages = warning;' "$1" |
        psql -X -q -At -v ON_ERROR_STOP=1 "$db_uri" -f - 2>&1
}

# expect_equal LABEL EXPECTED SQL: the statements, run inside a rolled-back transaction, print EXPECTED.
expect_equal() {
    local out
    out="$(run "BEGIN; $3; ROLLBACK;")" || { fail "$1: $out"; return; }
    [[ "$out" == "$2" ]] || fail "$1: expected '$2', got '$out'"
}

# expect_error LABEL SQLSTATE CONSTRAINT SQL: the statements fail with SQLSTATE, naming CONSTRAINT
# (the name is not checked when empty).
expect_error() {
    local out
    if out="$(run "BEGIN; $4; ROLLBACK;")"; then
        fail "$1: succeeded, expected $2 $3"
    elif [[ "$out" != *"ERROR:  $2:"* || ( -n "$3" && "$out" != *"\"$3\""* ) ]]; then
        fail "$1: expected $2 $3, got '$out'"
    fi
}

files=("$here"/[0-9][0-9][0-9]_*.sql)
for file in "${files[@]}"; do
    if grep -qiE '^[[:space:]]*(BEGIN|COMMIT|ROLLBACK|START TRANSACTION)\b' "$file"; then
        fail "$(basename "$file") holds transaction statements; the applier wraps each file in one transaction"
    fi
    out="$(run "BEGIN; SELECT pg_advisory_xact_lock(1330796097) \\g /dev/null
$(cat "$file")
COMMIT;")" || { echo "check.sh: $(basename "$file") failed: $out" >&2; exit 1; }
done
latest=$(basename "${files[-1]}" | sed 's/^0*\([0-9]*\)_.*/\1/')

expect_equal "marker row" "1330796097|$latest" "SELECT application_id, schema_version FROM orva_account"
expect_error "second marker row refused" 23505 ux_orva_account_one_row \
    "INSERT INTO orva_account (application_id, schema_version) VALUES (1330796097, $latest)"
expect_equal "every text column compares bytewise" "" "
    SELECT table_name || '.' || column_name FROM information_schema.columns
    WHERE table_schema = 'public' AND data_type = 'text' AND collation_name IS DISTINCT FROM 'C'"

# The same layout as the SQLite account of the same version: tables, columns in order, NOT NULL,
# and index names (PostgreSQL's own key indexes and its case-insensitive bill action key aside).
if command -v sqlite3 >/dev/null; then
    lite="$(mktemp -d)/account.db"
    keys="CREATE TEMP TABLE IF NOT EXISTS orva_name_keys (FLevel INTEGER, FID INTEGER, FKey_CHS TEXT,
          FKey_CHT TEXT, FKey_EN TEXT, PRIMARY KEY (FLevel, FID));"
    for file in "$root"/data/sql/schema/[0-9][0-9][0-9]_*.sql; do
        { echo 'BEGIN IMMEDIATE;'; echo "$keys"; cat "$file"; echo 'COMMIT;'; } | sqlite3 -bail -batch "$lite" ||
            fail "SQLite migration $(basename "$file") failed"
    done
    lite_layout=$(sqlite3 -batch "$lite" "
        SELECT lower(m.name) || '|' || (p.cid + 1) || '|' || lower(p.name) || '|' || (p.\"notnull\" OR p.pk > 0)
        FROM sqlite_schema m, pragma_table_info(m.name) p WHERE m.type = 'table' AND m.name LIKE 't\\_%' ESCAPE '\\'
        UNION ALL SELECT 'index|' || lower(name) FROM sqlite_schema
        WHERE type = 'index' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'
        UNION ALL SELECT 'version|' || user_version FROM pragma_user_version") ||
        fail "could not read the SQLite account's layout"
    lite_layout=$(LC_ALL=C sort <<<"$lite_layout")
    pg_layout=$(run "
        SELECT table_name || '|' || ordinal_position || '|' || column_name || '|' || (is_nullable = 'NO')::int
        FROM information_schema.columns WHERE table_schema = 'public' AND table_name LIKE 't\\_%'
        UNION ALL SELECT 'index|' || indexname FROM pg_indexes
        WHERE schemaname = 'public' AND indexname NOT LIKE '%\\_pkey'
          AND indexname NOT IN ('ux_billaction_keynocase', 'ux_orva_account_one_row')
        UNION ALL SELECT 'version|' || schema_version FROM orva_account" | LC_ALL=C sort)
    if [[ "$lite_layout" != "$pg_layout" ]]; then
        differences=$(diff <(echo "$lite_layout") <(echo "$pg_layout") | grep '^[<>]')
        fail "layout differs from the SQLite account's (< SQLite, > PostgreSQL):"$'\n'"$differences"
    fi
    rm -rf "$(dirname "$lite")"
else
    echo "check.sh: sqlite3 is not installed; the layout is not compared with the SQLite account's" >&2
fi

top="INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, FNameKey_CHS,
                             FNameKey_CHT, FNameKey_EN)"
sub="INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FNameKey_CHS, FNameKey_CHT,
                              FNameKey_EN)"
func="INSERT INTO t_SubFunc (FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey_CHS,
                             FNameKey_CHT, FNameKey_EN)"
detail="INSERT INTO t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey_CHS,
                                  FNameKey_CHT, FNameKey_EN, FClassParam)"
fixture="
$top VALUES (1, '我的Orva', '我的Orva', 'My Orva', '我的ORVA', '我的ORVA', 'MY ORVA'),
            (2, '供应链', '供應鏈', 'Supply Chain', '供应链', '供應鏈', 'SUPPLY CHAIN');
$sub VALUES (2, 1, '销售管理', '銷售管理', 'Sales', '销售管理', '銷售管理', 'SALES');
$func VALUES (1, 1, '销售订单', '銷售訂單', 'Sales orders', '销售订单', '銷售訂單', 'SALES ORDERS');
$detail VALUES (1, 1, '客户', '客戶', 'Customers', '客户', '客戶', 'CUSTOMERS', 'Base|1003');
INSERT INTO t_BizSubSystem VALUES (12, '销售', '銷售', 'Sales');
INSERT INTO t_ClassType VALUES (81, '销售订单', '銷售訂單', 'Sales order', 4, 12),
                               (200000003, '退货单', '退貨單', 'Return', 4, 12);
INSERT INTO t_BillAction VALUES (81, 'mnuFileNew', 1, '新增', '新增', 'New', 1),
                                (200000003, 'mnuFileNew', 1, '新增', '新增', 'New', 1),
                                (200000003, 'mnuViewList', 2, '列表', '列表', 'List', 64);
INSERT INTO t_Report VALUES (5001, '销售日报', '銷售日報', 'Daily sales', 1001, 12)"
out="$(run "$fixture")" || { echo "check.sh: the fixture failed: $out" >&2; exit 1; }

expect_equal "new nodes take the next ids, never one used before" "3
4" "
    $top VALUES (3, 'A', 'A', 'A', 'A', 'A', 'A') RETURNING FTopClassID;
    DELETE FROM t_TopClass WHERE FTopClassID = 3;
    $top VALUES (3, 'B', 'B', 'B', 'B', 'B', 'B') RETURNING FTopClassID"
expect_error "same top-class key in English refused" 23505 ux_topclass_key_en \
    "$top VALUES (9, '新', '新', 'Supply chain', '新', '新', 'SUPPLY CHAIN')"
expect_error "same subsystem key in Chinese under one parent refused" 23505 ux_subsystem_key_chs \
    "$sub VALUES (2, 9, '销售管理', 'x', 'x', '销售管理', 'X', 'X')"
expect_error "same sub-function key in traditional Chinese refused" 23505 ux_subfunc_key_cht \
    "$func VALUES (1, 9, 'x', '銷售訂單', 'x', 'X', '銷售訂單', 'Y')"
expect_equal "same subsystem keys under another parent accepted" "1" "
    $sub VALUES (1, 1, '销售管理', '銷售管理', 'Sales', '销售管理', '銷售管理', 'SALES');
    SELECT count(*) FROM t_SubSystem WHERE FTopClassID = 1"
expect_equal "same detail name with another class parameter accepted" "2" "
    $detail VALUES (1, 2, '客户', '客戶', 'Customers', '客户', '客戶', 'CUSTOMERS', 'Base|200000009');
    SELECT count(*) FROM t_DetailFunc WHERE FSubFuncID = 1"
expect_error "same detail name and class parameter refused" 23505 ux_detailfunc_key_chs \
    "$detail VALUES (1, 2, '客户', '客戶', 'Customers', '客户', '客戶', 'CUSTOMERS', 'Base|1003')"
expect_error "same top-level index refused" 23505 ux_topclass_index "$top VALUES (2, 'N', 'N', 'N', 'N', 'N', 'N')"
expect_error "same sibling index refused" 23505 ux_detailfunc_index \
    "$detail VALUES (1, 1, 'N', 'N', 'N', 'N', 'N', 'N', 'Base|1')"
expect_error "id 0 refused" 23514 t_topclass_ftopclassid_check \
    "INSERT INTO t_TopClass VALUES (0, 9, 'x', 'x', 'x', 'X', 1, 'X', 'X')"
expect_error "negative class type id refused" 23514 t_classtype_fid_check \
    "INSERT INTO t_ClassType VALUES (-1, 'x', 'x', 'x', 1, 12)"
expect_error "id beyond 32 bits refused" 22003 "" \
    "INSERT INTO t_TopClass VALUES (2147483648, 9, 'x', 'x', 'x', 'X', 1, 'X', 'X')"
expect_error "visibility other than 0 and 1 refused" 23514 t_subfunc_fvisible_check \
    "UPDATE t_SubFunc SET FVisible = 2"
expect_error "subsystem without top class refused" 23503 t_subsystem_ftopclassid_fkey \
    "$sub VALUES (99, 5, 'x', 'x', 'x', 'X', 'X', 'X')"
expect_error "top class with subsystems cannot be deleted" 23503 t_subsystem_ftopclassid_fkey \
    "DELETE FROM t_TopClass WHERE FTopClassID = 2"
expect_error "business subsystem with class types cannot be deleted" 23503 t_classtype_ffunctionid_fkey \
    "DELETE FROM t_BizSubSystem WHERE FFunctionID = 12"
expect_equal "deleting a class type removes its actions, and only its" "0|1" "
    DELETE FROM t_ClassType WHERE FID = 200000003;
    SELECT count(*) FILTER (WHERE FClassTypeID = 200000003) || '|' || count(*) FROM t_BillAction"
expect_error "action keys differing in case refused" 23505 ux_billaction_keynocase \
    "INSERT INTO t_BillAction VALUES (81, 'MNUFILENEW', 9, 'x', 'x', 'x', 1)"
for key in "''" "'mnu-File'" "'mnu File'" "E'mnuFile\\n'" "'mnuÄ'"; do
    expect_error "action key $key refused" 23514 t_billaction_fkey_check \
        "INSERT INTO t_BillAction VALUES (81, $key, 9, 'x', 'x', 'x', 1)"
done
expect_equal "action keys of letters, digits and _ accepted" "3" "
    INSERT INTO t_BillAction VALUES (81, 'mnu_File2', 9, 'x', 'x', 'x', 1), (81, '_', 10, 'x', 'x', 'x', 1);
    SELECT count(*) FROM t_BillAction WHERE FClassTypeID = 81"
expect_error "'|' in a class-type name refused" 23514 t_classtype_fname_en_check \
    "UPDATE t_ClassType SET FName_EN = 'Sales|Order' WHERE FID = 81"
expect_error "'|' in an action name refused" 23514 t_billaction_fname_chs_check \
    "UPDATE t_BillAction SET FName_CHS = '新|增' WHERE FClassTypeID = 81"

if ((failures > 0)); then
    echo "check.sh: $failures check(s) failed" >&2
    exit 1
fi
echo "check.sh: PostgreSQL account checks passed"
