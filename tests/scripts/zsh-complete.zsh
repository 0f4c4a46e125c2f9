# zsh -f zsh-complete.zsh COMPLETION_DIR TOOL_DIR OUT LINE: types LINE and a tab in an interactive
# zsh (a pseudo-terminal, zsh/zpty) whose fpath holds COMPLETION_DIR, and writes the candidates its
# completion offered to OUT, one per line: compadd is wrapped to record them on the way.
zmodload zsh/zpty || exit 2
zpty z zsh -f -i
zpty -w z "PROMPT=''; PATH=${(q)2}:\$PATH; fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w z 'compadd() { local -a a; builtin compadd -O a "$@"; (( ${#a} )) && print -lr -- "${(@)a}" >>'${(q)3}'; builtin compadd "$@"; }'
: >$3
zpty -w -n z "$4"$'\t'
# The answer comes from a child program; wait until it has been written (at most 5 s).
for i in {1..50}; do [[ -s $3 ]] && break; sleep 0.1; done
sleep 0.2
zpty -d z
