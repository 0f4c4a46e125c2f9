# Bash completion for orva-deploy. The program answers itself ("orva-deploy __complete CWORD
# WORDS..."): commands, options and option values, with the FIDs and subsystem numbers read from the
# account named on the line. A ":files" answer leaves the word to bash's file-name completion.
# Installed into bash-completion's folder, or read with: source orva-deploy.bash

_orva_deploy() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local program=${COMP_WORDS[0]}
    # "~/bin/orva-deploy" as typed: the program's own path, with the tilde expanded.
    [[ $program == "~/"* ]] && program=$HOME/${program#"~/"}
    [[ $program == */* ]] || program=$(type -P -- "$program") || return
    [[ $cur == "=" ]] && cur=

    local candidates line
    COMPREPLY=()
    candidates=$("$program" __complete "$COMP_CWORD" "${COMP_WORDS[@]}" 2>/dev/null) || return
    while IFS= read -r line; do
        if [[ $line == ":files" ]]; then
            compopt -o filenames 2>/dev/null
            local file
            while IFS= read -r file; do
                COMPREPLY+=("$file")
            done < <(compgen -f -- "$cur")
        elif [[ -n $line ]]; then
            COMPREPLY+=("$line")
        fi
    done <<<"$candidates"
}

complete -F _orva_deploy orva-deploy
