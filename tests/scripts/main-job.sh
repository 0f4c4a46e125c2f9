#!/usr/bin/env bash
# The README's first command, run against the build under test: scripts/run --build-dir BUILD FOLDER
# must end with status 0 and print every part of the main job.
# Usage: main-job.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir="$1"
build_dir="$2"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

out="$folder/out.txt"
"$source_dir/scripts/run" --build-dir "$build_dir" "$folder/job" >"$out" 2>"$folder/err.txt"
status=$?
failed=0
fail() { echo "main job: $*" >&2; failed=1; }

[ "$status" -eq 0 ] || fail "scripts/run exited with status $status"
[ -s "$folder/job/account.db" ] || fail "no account left in the given folder"

# The part of the output between one section header and the next.
section() { awk -v title="=== $1" 'index($0, "===") == 1 { inside = index($0, title) == 1; next } inside' "$out"; }

for title in "A demo account in" "The sample packet file" "First deployment (CHS): the message list" \
    "The console catalogue afterwards" "Second deployment of the same packet" "The deployment journal" \
    "Undoing the first deployment" "The wizard makes a packet file" \
    "Deployment of the wizard's packet file" "The publish dialog publishes at once"; do
    grep -qF "=== $title" "$out" || fail "section \"$title\" missing"
done
section "A demo account in" | grep -q "^Created account database .*account.db (schema version [0-9]*, demo suite)$" ||
    fail "init did not report the demo account"
[ "$(section "The sample packet file" | grep -c .)" -eq 17 ] || fail "the packet outline is not 16 lines and \"...\""

first=$(section "First deployment")
[ "$(printf '%s\n' "$first" | tail -n 1)" = "功能发布完毕！" ] || fail "the first deployment did not finish"
printf '%s\n' "$first" | grep -q "成功！$" || fail "the first deployment created no function"
section "The console catalogue afterwards" | grep -qF "质量管理" || fail "the new top class is not in the catalogue"

second=$(section "Second deployment")
functions=$(printf '%s\n' "$second" | grep -c "发布到: ")
refused=$(printf '%s\n' "$second" | grep -c "失败，原因在于该功能已在主控台中存在！$")
[ "$functions" -gt 0 ] && [ "$functions" -eq "$refused" ] ||
    fail "the second deployment refused $refused of $functions functions as already present"
printf '%s\n' "$second" | grep -q "^创建" && fail "the second deployment created a node again"
[ "$(printf '%s\n' "$second" | tail -n 1)" = "功能发布完毕！" ] || fail "the second deployment did not finish"

history=$(section "The deployment journal")
[ "$(printf '%s\n' "$history" | grep -c '  deploy  ')" -eq 2 ] || fail "history does not list both deployments"
printf '%s\n' "$history" | tail -n 1 | grep -q '  init  ' || fail "history does not end with the demo suite's run"
undo=$(section "Undoing the first deployment")
[ "$(printf '%s\n' "$undo" | tail -n 1)" = "撤销运行2完毕！" ] || fail "the dry run of the undo did not finish"
printf '%s\n' "$undo" | grep -q "^删除功能" || fail "the dry run of the undo removes no function"

wizard=$(section "The wizard makes a packet file")
printf '%s\n' "$wizard" | grep -qx '"bOK": true,' || fail "the wizard was not confirmed"
[ -s "$folder/job/wizard.dat" ] || fail "the wizard wrote no packet file"
lines=$(printf '%s\n' "$wizard" | grep -c '发布到: ')
created=$(section "Deployment of the wizard's packet file" | grep -c "发布到: .*成功！$")
[ "$lines" -gt 0 ] && [ "$lines" -eq "$created" ] ||
    fail "the wizard's packet created $created of its $lines functions"

publish=$(section "The publish dialog publishes at once")
[ "$(printf '%s\n' "$publish" | grep -c '^    \[x\] ')" -eq 2 ] || fail "the publish dialog's tree does not show two ticked objects"
printf '%s\n' "$publish" | grep -qx "  发布对象成功！" || fail "the publish dialog did not report success"
printf '%s\n' "$publish" | grep -q "^  \[.*成功！$" || fail "the publish created no function"

if [ "$failed" -ne 0 ]; then
    echo "--- output ---" >&2; cat "$out" >&2; echo "--- errors ---" >&2; cat "$folder/err.txt" >&2
fi
exit "$failed"
