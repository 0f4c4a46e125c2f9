#!/usr/bin/env bash
# The bash completion of orva-deploy, run as bash runs it: COMP_WORDS and COMP_CWORD set, the
# completion function called, COMPREPLY compared; then the zsh completion, typed into a zsh. Values come from a demo account in a folder with a
# Chinese name.
# Usage: completion.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1
tool=$2/bin/orva-deploy
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
failed=0

# shellcheck source=../../data/completion/orva-deploy.bash
source "$source_dir/data/completion/orva-deploy.bash"
[ "$(complete -p orva-deploy)" = "complete -F _orva_deploy orva-deploy" ] || { echo "not registered"; failed=1; }

mkdir "$folder/发布" && cd "$folder/发布" || exit 1
account=$folder/发布/账套.db
"$tool" init --catalog "$account" --demo >/dev/null || exit 1
touch 部署包.Dat 部署说明.json other.txt
# The demo's FIDs and subsystem numbers as the listing commands print them (first column).
column1() { "$tool" "$@" --catalog "$account" | tail -n +2 | cut -f1 | sort | tr '\n' ' ' | sed 's/ $//'; }
types=$(column1 types)
reports=$(column1 reports)
subsystems=$(column1 subsystems)
[ -n "$types" ] && [ -n "$reports" ] && [ -n "$subsystems" ] || { echo "the demo lists nothing"; exit 1; }

# complete_line EXPECTED WORD... : the last word is the one completed (complete_at CWORD EXPECTED
# WORD...: the word CWORD); EXPECTED is the sorted COMPREPLY joined by blanks, or "~PATTERN" for a
# glob it must match.
complete_line() { complete_at $(($# - 1)) "$@"; }
complete_at() {
    local cword=$1 expected=$2
    shift 2
    COMP_WORDS=("$tool" "$@")
    COMP_CWORD=$cword
    COMPREPLY=()
    _orva_deploy
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    if [[ $expected == "~"* ]]; then
        # shellcheck disable=SC2053
        [[ $got == ${expected#"~"} ]] && return
    elif [ "$got" = "$expected " ]; then
        return
    fi
    echo "completing '$*': got '$got', expected '$expected'"
    failed=1
}

complete_line "deploy" de
complete_line "~*catalog*deploy*init*pack*publish*register*reports*show*subsystems*translate*types*unregister*wizard*" ""
complete_line "--dry-run" deploy 部署包.Dat --dr
complete_line "~*--catalog*--dry-run*--help*--info*--language*--props*--quiet*" deploy --
complete_line "--output" pack --ou
complete_line "CHS CHT" --language C
complete_line "CHS CHT EN" deploy 部署包.Dat --language = ""
complete_line "EN" types --language = E
complete_line "部署包.Dat 部署说明.json" deploy 部
complete_line "部署说明.json" deploy 部署包.Dat --info 部署说
complete_line "部署包.Dat" show 部署包
complete_line "$types" --catalog "$account" wizard --type ""
complete_at 3 "$types" wizard --type "" --catalog "$account"  # an account named after the word
complete_line "$reports" publish --catalog "$account" --report ""
complete_line "$subsystems" --catalog "$account" publish --subsystem ""
complete_line "$subsystems" --props "Language=EN;ConnectString=sqlite:$account;" types --subsystem ""
complete_line "" translate ""
complete_line "" --catalog "$account" export --subsystem ""  # a catalogue node's id, no subsystem number
complete_line "部署包.Dat 部署说明.json" --catalog "$account" export --top 3 -o 部
# A mistyped account gives nothing, creates nothing; an account is never changed by completing.
before=$(sha256sum "$account")
complete_line "" --catalog "$folder/无.db" wizard --type ""
[ ! -e "$folder/无.db" ] || { echo "completing created $folder/无.db"; failed=1; }
[ "$(sha256sum "$account")" = "$before" ] || { echo "completing changed the account"; failed=1; }

# zsh, from the same answers, in an interactive zsh on a pseudo-terminal.
if command -v zsh >/dev/null; then
    zsh_line() {
        local expected=$1 got
        zsh -f "$source_dir/tests/scripts/zsh-complete.zsh" "$source_dir/data/completion" "$(dirname "$tool")" \
            "$folder/zsh.out" "$2"
        got=$(sort -u "$folder/zsh.out" | tr '\n' ' ')
        [ "$got" = "$expected " ] || { echo "zsh completing '$2': got '$got', expected '$expected'"; failed=1; }
    }
    zsh_line "deploy" "orva-deploy de"
    zsh_line "CHS CHT" "orva-deploy --language=C"
    zsh_line "部署包.Dat 部署说明.json" "orva-deploy deploy 部"
    zsh_line "$types" "orva-deploy --catalog $account wizard --type "
elif [ "${CI:-}" = true ]; then
    echo "zsh is missing (scripts/bootstrap installs it)"
    failed=1
fi

# A word index past the line completes a new word; a word index that is no number is refused.
"$tool" __complete 9 orva-deploy | grep -qx wizard || { echo "__complete 9: no command names"; failed=1; }
"$tool" __complete x orva-deploy >/dev/null 2>&1
[ $? -eq 2 ] || { echo "__complete x: not a usage error"; failed=1; }

exit $failed
