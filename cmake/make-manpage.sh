#!/usr/bin/env bash
# Writes the manual page of orva-deploy from the program's own help: `orva-deploy --help` becomes
# DESCRIPTION and OPTIONS, and the --help of every command it lists becomes a part of COMMANDS. The
# help texts are kept as they are printed (no-fill blocks), only escaped for roff.
# Usage: make-manpage.sh PROGRAM VERSION OUTPUT
set -euo pipefail
program=$1
version=$2
output=$3

# roff reads a backslash as an escape and a line starting with "." or "'" as a request.
escape() {
    sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

main_help=$("$program" --help)
# The first line reads "orva-deploy: what it does".
summary=$(printf '%s\n' "$main_help" | head -n 1 | sed -e 's/^orva-deploy: *//')
# The commands are the first words of the lines under the "Subcommands:" heading.
commands=$(printf '%s\n' "$main_help" |
    awk 'tolower($0) ~ /^subcommands:/ { inside = 1; next }
         inside && /^[^ ]/ { inside = 0 }
         inside && NF > 0 { print $1 }')
if [ -z "$commands" ]; then
    echo "make-manpage.sh: $program --help lists no commands" >&2
    exit 1
fi

temporary="$output.tmp"
{
    printf '.TH ORVA-DEPLOY 1 "" "orva-deploy %s" "User Commands"\n' "$version"
    printf '.SH NAME\norva-deploy \\- %s\n' "$(printf '%s' "$summary" | escape)"
    printf '.SH SYNOPSIS\n.B orva-deploy\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGUMENTS\\fR]\n'
    printf '.SH DESCRIPTION\n.nf\n'
    # SYNOPSIS says how to call the program: the help's own "Usage:" block (to its first blank line)
    # is left out here rather than said twice.
    printf '%s\n' "$main_help" | tail -n +2 |
        awk '/^Usage:/ { skipping = 1 } skipping && NF == 0 { skipping = 0; next } !skipping' | escape
    printf '.fi\n.SH COMMANDS\n'
    for command in $commands; do
        printf '.SS %s\n.nf\n' "$command"
        "$program" "$command" --help | escape
        printf '.fi\n'
    done
    printf '.SH FILES\n'
    printf '.TP\n.I share/orva/translations\n'
    printf 'The texts of the library in Traditional Chinese and English, beside the library'"'"'s folder.\n'
    printf '.SH SEE ALSO\nThe README and guides in share/doc/orva-class-deploy.\n'
} >"$temporary"
mv "$temporary" "$output"
