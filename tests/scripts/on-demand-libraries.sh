#!/usr/bin/env bash
# SQLite, ICU and libgettextpo are opened when first needed, never linked: the library and the program
# do not need them, `show` loads none of them, and the commands that need one load it (so that the
# check is seen to find it). A library that is there but broken (a file of another kind first on the
# search path) is an error naming it and its package, and leaves the account as it was.
# Usage: on-demand-libraries.sh SOURCE_DIR LIBRARY PROGRAM
set -uo pipefail
source_dir="$1"
library="$2"
tool="$3"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
failed=0
fail() { echo "on-demand libraries: $*" >&2; failed=1; }
export LANG=C.UTF-8 ORVA_TRANSLATIONS_DIR="$source_dir/data/translations"
sonames='libsqlite3\.so|libicuuc\.so|libgettextpo\.so'

for file in "$library" "$tool"; do
    line=$(readelf -d "$file" | grep -E "\(NEEDED\).*\[($sonames)") && fail "$file links what it opens on demand: $line"
done

# The libraries a run loads, as the dynamic loader reports them.
loaded() { LD_DEBUG=files "$tool" "$@" 2>&1 >/dev/null | grep -oE "file=($sonames)[^ ]*" | sort -u | tr '\n' ' '; }
work="$folder/部署 目录"
mkdir -p "$work"
cp "$source_dir/data/samples/DeployFunction.Dat" "$work/部署包.Dat"
account="$work/账套.db"
"$tool" init --catalog "$account" --demo >/dev/null || fail "init failed"

got=$(loaded show "$work/部署包.Dat")
[ -z "$got" ] || fail "show loads $got"
got=$(loaded --language EN translate 部署)
[[ "$got" == *libgettextpo* ]] || fail "translate into EN does not load libgettextpo (the check would not see it): $got"
got=$(loaded catalog --catalog "$account")
[[ "$got" == *libsqlite3* ]] || fail "catalog does not load libsqlite3 (the check would not see it): $got"

# A broken copy of each library first on the search path; each run must name it and its package and
# fail, except translate, for which an unreadable translation file is only a warning.
broken="$folder/坏的库"
mkdir -p "$broken"
icu_soname=$(LD_DEBUG=files "$tool" deploy "$work/部署包.Dat" --catalog "$account" --dry-run 2>&1 >/dev/null |
    grep -oE 'file=libicuuc\.so\.[0-9]+' | head -1 | cut -d= -f2)
before=$("$tool" catalog --catalog "$account" --json)
check() {
    local soname="$1" package="$2"
    shift 2
    rm -f "$broken"/*
    echo "not a shared object" >"$broken/$soname"
    local said status
    said=$(LD_LIBRARY_PATH="$broken" "$tool" "$@" 2>&1)  # deploy reports a failed entry in its message list
    status=$?
    [[ "$said" == *"$soname could not be loaded ("*"): install the package $package"* ]] ||
        fail "$* with a broken $soname: $said"
    [ "$status" -ne 0 ] || [ "$soname" = libgettextpo.so.0 ] || fail "$* with a broken $soname succeeded"
}
check libsqlite3.so.0 libsqlite3-0 catalog --catalog "$account"
check libsqlite3.so.0 libsqlite3-0 init --catalog "$work/新账套.db"
[ ! -e "$work/新账套.db" ] || fail "init with a broken SQLite left a file"
check libgettextpo.so.0 libgettextpo0 --language EN translate 部署
if [ -n "$icu_soname" ]; then
    check "$icu_soname" "libicu${icu_soname##*.}" deploy "$work/部署包.Dat" --catalog "$account"
else
    fail "deploy of the sample packet does not load ICU (the check would not see it)"
fi
[ "$("$tool" catalog --catalog "$account" --json)" = "$before" ] || fail "a failed run changed the account"
exit $failed
