#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it the way a host machine does, with the source
# and build trees out of reach:
#   - the layout: program, library with soname and version links, headers, translations, manual page,
#     documents, the find_package and pkg-config files;
#   - no installed binary searches the build or source tree; each installed C++ header compiles on its
#     own from the prefix alone, through pkg-config too, and names no header that is not installed;
#   - the library exports only versioned symbols of our own: the C entry points and the installed
#     C++ interface in ORVACLASSDEPLOY_0, and hosts built from the installed headers use nothing else;
#   - a C++ host built through find_package and through pkg-config, the C example built through
#     pkg-config and through find_package from a copy of its source, and the Python example, each
#     deploying a packet file into a demo account through
#     a registry in the temporary folder.
# The programs run under `env -i` with only the prefix's library folder on LD_LIBRARY_PATH. Run as
# root (CI), they run as the system user "orva-host" (created when missing), and an ACL entry denies
# that user the source and build trees for the run, so anything still read from them fails. Moving
# the build tree away is no option: ctest runs from it. As another user the trees stay readable, and
# the test says so.
# Usage: install-test.sh SOURCE_DIR BINARY_DIR LIBDIR
set -uo pipefail
source_dir=$(cd "$1" && pwd)
binary_dir=$(cd "$2" && pwd)
libdir=$3
host_user=orva-host

failed=0
fail() { echo "install test: $*" >&2; failed=1; }
die() { echo "install test: $*" >&2; exit 1; }

[ -f "$source_dir/CMakeLists.txt" ] || die "$source_dir is not the source tree"
[ -f "$binary_dir/CMakeCache.txt" ] || die "$binary_dir is not a build tree"

folder=$(mktemp -d)
chmod 755 "$folder"
denied=()
cleanup() {
    # A folder that had no ACL of its own gets none back; otherwise only our entry goes.
    local index=0
    for dir in "${denied[@]}"; do
        if [ -s "$folder/acl.$index" ]; then setfacl -x "u:$host_user" "$dir"; else setfacl -b "$dir"; fi
        index=$((index + 1))
    done
    rm -rf "$folder"
}
trap cleanup EXIT

# A prefix named as our users name folders, with a blank in it.
prefix="$folder/安装 前缀"
cmake --install "$binary_dir" --prefix "$prefix" >"$folder/install.log" || {
    cat "$folder/install.log" >&2
    die "cmake --install failed"
}

# --- Layout --------------------------------------------------------------------------------------
for path in bin/orva-deploy "$libdir/libOrvaClassDeploy.so.0.1.0" "$libdir/libOrvaClassDeploy.so.0" \
    "$libdir/libOrvaClassDeploy.so" "$libdir/orva-class-deploy/libOrvaPostgres.so" \
    include/OrvaClassDeploy/api/clsDeploywizard.h \
    include/OrvaClassDeploy/api/clsPromulgator.h share/orva/translations/OrvaDesign.EN.po \
    share/orva/translations/OrvaDesign.CHT.po share/doc/orva-class-deploy/README.md \
    share/doc/orva-class-deploy/LICENSE \
    share/doc/orva-class-deploy/host-context.md share/man/man1/orva-deploy.1.gz \
    "$libdir/cmake/OrvaClassDeploy/OrvaClassDeployConfig.cmake" \
    "$libdir/cmake/OrvaClassDeploy/OrvaClassDeployConfigVersion.cmake" \
    "$libdir/pkgconfig/orva-class-deploy.pc"; do
    [ -e "$prefix/$path" ] || fail "$path is not installed"
done
[ -x "$prefix/bin/orva-deploy" ] || fail "bin/orva-deploy is not executable"
# The bash completion, where bash-completion looks for it, completing with the installed program.
completion="$prefix/share/bash-completion/completions/orva-deploy"
(
    source "$completion" && COMP_WORDS=("$prefix/bin/orva-deploy" dep) && COMP_CWORD=1 && _orva_deploy &&
        [ "${COMPREPLY[*]}" = deploy ]
) 2>/dev/null || fail "share/bash-completion/completions/orva-deploy is not installed or does not complete"
[ -f "$prefix/share/zsh/vendor-completions/_orva-deploy" ] || fail "share/zsh/vendor-completions/_orva-deploy is not installed"
# The Debian copyright and changelog files belong to the packages only.
if compgen -G "$prefix/share/doc/lib*" >/dev/null; then fail "a plain install has Debian documentation folders"; fi
[ "$(readlink "$prefix/$libdir/libOrvaClassDeploy.so.0")" = libOrvaClassDeploy.so.0.1.0 ] ||
    fail "libOrvaClassDeploy.so.0 does not link to libOrvaClassDeploy.so.0.1.0"
[ "$(readlink "$prefix/$libdir/libOrvaClassDeploy.so")" = libOrvaClassDeploy.so.0 ] ||
    fail "libOrvaClassDeploy.so does not link to libOrvaClassDeploy.so.0"
readelf -d "$prefix/$libdir/libOrvaClassDeploy.so.0.1.0" | grep -q 'SONAME.*\[libOrvaClassDeploy\.so\.0\]' ||
    fail "the library's soname is not libOrvaClassDeploy.so.0"
for path in include/orva/orva_automation.h "$libdir/libOrvaLoader.so.0" "$libdir/libOrvaLoader.so" \
    "$libdir/pkgconfig/orva-loader.pc"; do
    [ -e "$prefix/$path" ] || fail "$path is not installed"
done

# The host's reference, the examples and the Python package (in the prefix's Python folder).
for path in share/doc/orva-class-deploy/host-api.md share/doc/orva-class-deploy/examples/c/deploy_packet.c \
    share/doc/orva-class-deploy/examples/python/deploy_packet.py \
    share/doc/orva-class-deploy/examples/cpp/CMakeLists.txt share/doc/orva-class-deploy/examples/cpp/main.cpp; do
    [ -e "$prefix/$path" ] || fail "$path is not installed"
done
python_init=$(find "$prefix/lib" -path '*/orva_automation/__init__.py' -print -quit)
[ -n "$python_init" ] || fail "the Python package orva_automation is not installed"
python_dir=$(dirname "$(dirname "${python_init:-/x/x}")")

# No installed binary may find anything in the trees it was built in, and the program finds the
# installed library beside it.
while IFS= read -r -d '' file; do
    head -c 4 "$file" | grep -q ELF || continue
    search=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
    case "$search" in
        *"$binary_dir"* | *"$source_dir"*) fail "${file#"$prefix"/} searches the build or source tree: $search" ;;
    esac
done < <(find "$prefix/bin" "$prefix/$libdir" -type f -print0)
search=$(readelf -d "$prefix/bin/orva-deploy" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$search" = "\$ORIGIN/../$libdir" ] || fail "bin/orva-deploy's RUNPATH is \"$search\", not \$ORIGIN/../$libdir"

# The manual page names every command and renders without a complaint from the formatter.
man_page="$prefix/share/man/man1/orva-deploy.1.gz"
for command in pack show deploy init catalog types reports subsystems translate format wizard publish; do
    zcat "$man_page" | grep -qx "\.SS $command" || fail "the manual page has no part for $command"
done
# SYNOPSIS says how to call the program; DESCRIPTION does not repeat the help's usage line.
zcat "$man_page" | awk '/^\.SH DESCRIPTION/ { inside = 1; next } /^\.SH / { inside = 0 } inside' |
    grep -q '^Usage:' && fail "the manual page's DESCRIPTION repeats the usage line"
if command -v man >/dev/null; then
    rendered=$(MANWIDTH=100 man --warnings -l "$man_page" 2>&1 >/dev/null)
    [ -z "$rendered" ] || fail "the manual page renders with warnings: $rendered"
fi

# --- Headers and package files -------------------------------------------------------------------
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
# pkg-config quotes blanks and bytes beyond ASCII in what it prints with backslashes, for a shell to
# read: the words are taken as a shell reads them.
words() {
    local printed
    printed=$(pkg-config "$@") || return 1
    eval "printf '%s\\n' $printed"
}
mapfile -t cflags < <(words --cflags orva-class-deploy) || fail "pkg-config does not know orva-class-deploy"
[ "${cflags[*]}" = "-std=c++20 -I$prefix/include" ] || fail "orva-class-deploy.pc gives cflags \"${cflags[*]}\""
mapfile -t libs < <(words --libs orva-class-deploy)
[ "${libs[*]}" = "-L$prefix/$libdir -lOrvaClassDeploy" ] || fail "orva-class-deploy.pc gives libs \"${libs[*]}\""
mapfile -t loader_flags < <(words --cflags --libs orva-loader)
# Each installed C++ header on its own, by its installed path, with nothing but the prefix on the
# include path: once with the flags given here, once with only what pkg-config gives (the C++
# standard included). Every header file a header names, in code or in a comment, is installed too.
headers=()
while IFS= read -r -d '' header; do headers+=("${header#"$prefix/include/"}"); done < <(find "$prefix/include/OrvaClassDeploy" -name '*.h' -print0)
[ ${#headers[@]} -ge 10 ] || fail "only ${#headers[@]} C++ headers are installed"
for relative in "${headers[@]}"; do
    printf '#include <%s>\n' "$relative" |
        c++ -std=c++20 -fsyntax-only -Wall -Wextra -I"$prefix/include" -x c++ - 2>"$folder/header.log" ||
        fail "$relative does not compile on its own: $(cat "$folder/header.log")"
    printf '#include <%s>\n' "$relative" | c++ -fsyntax-only "${cflags[@]}" -x c++ - 2>"$folder/header.log" ||
        fail "$relative does not compile with pkg-config's flags: $(cat "$folder/header.log")"
    while IFS= read -r named; do
        compgen -G "$prefix/include/OrvaClassDeploy/*/$named" >/dev/null ||
            fail "$relative names $named, which is not installed"
    done < <(grep -oE '[A-Za-z_]+\.h\b' "$prefix/include/$relative" | sort -u)
done
# The library's dynamic symbols: all versioned, ours, and the C entry points public.
library_file="$prefix/$libdir/libOrvaClassDeploy.so.0"
objdump -T "$library_file" | awk 'NF >= 7 && $4 != "*UND*" { print $(NF - 1), $NF }' >"$folder/symbols"
grep -vE '^(ORVACLASSDEPLOY_0|ORVACLASSDEPLOY_PRIVATE_0) ' "$folder/symbols" | head -n 5 >"$folder/unversioned"
[ ! -s "$folder/unversioned" ] || fail "the library exports symbols outside its version nodes: $(cat "$folder/unversioned")"
# Each one names our namespace before its first template or parameter list (not std::vector<orva::...>).
awk '{ print $2 }' "$folder/symbols" | c++filt | grep -vE '^(Orva|orva_|ORVACLASSDEPLOY_)' |
    grep -vE '^[^(<]*orva::' | head -n 3 >"$folder/foreign"
[ ! -s "$folder/foreign" ] || fail "the library exports symbols of other libraries: $(cat "$folder/foreign")"
for entry in OrvaCreateObject OrvaRegisterServer OrvaUnregisterServer OrvaAutomationAbiVersion; do
    grep -qx "ORVACLASSDEPLOY_0 $entry" "$folder/symbols" || fail "the C entry point $entry is not in ORVACLASSDEPLOY_0"
done
printf '#include <orva/orva_automation.h>\nint main(void) { return 0; }\n' |
    cc -std=c99 -Wall -Wextra -Wpedantic -fsyntax-only "${loader_flags[@]}" -x c - 2>"$folder/header.log" ||
    fail "orva/orva_automation.h does not compile on its own as C99: $(cat "$folder/header.log")"

# --- Hosts built against the installed files only ------------------------------------------------
mkdir -p "$folder/work"
cp -r "$source_dir/tests/install/cxx-host" "$folder/cxx-host"
cp "$source_dir/examples/c/deploy_packet.c" "$folder/cxx-host/"
cmake -S "$folder/cxx-host" -B "$folder/cxx-host/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_BUILD_TYPE=Release >"$folder/cxx-host.log" 2>&1 &&
    cmake --build "$folder/cxx-host/build" >>"$folder/cxx-host.log" 2>&1 &&
    cp "$folder/cxx-host/build/cxx-host" "$folder/cxx-host/build/c-host" "$folder/work/" ||
    fail "the hosts do not build through find_package: $(cat "$folder/cxx-host.log")"
c++ -o "$folder/work/cxx-host-pc" "$folder/cxx-host/main.cpp" "${cflags[@]}" "${libs[@]}" \
    2>"$folder/cxx-host-pc.log" || fail "the C++ host does not build through pkg-config: $(cat "$folder/cxx-host-pc.log")"
# A host built from the installed headers binds only to the public version of the library's symbols.
for host in cxx-host cxx-host-pc; do
    [ -f "$folder/work/$host" ] || continue
    private=$(objdump -T "$folder/work/$host" | grep '(ORVACLASSDEPLOY_PRIVATE_0)' | c++filt | head -n 3)
    [ -z "$private" ] || fail "$host uses private symbols of the library: $private"
    # Read whole before matching: grep -q would stop early and objdump's SIGPIPE fail the pipeline.
    symbols=$(objdump -T "$folder/work/$host")
    grep -q '(ORVACLASSDEPLOY_0)' <<<"$symbols" || fail "$host binds to no versioned symbol"
done
cp "$source_dir/examples/c/deploy_packet.c" "$folder/deploy_packet.c"
cc -std=c99 -Wall -Wextra -o "$folder/work/deploy_packet" "$folder/deploy_packet.c" \
    "${loader_flags[@]}" 2>"$folder/c-host.log" ||
    fail "the C example does not build through pkg-config: $(cat "$folder/c-host.log")"
cp "$source_dir/data/samples/packet-set.json" "$folder/work/"
# The Python example as a host runs it: with the installed loader found on the library path.
cp "$source_dir/examples/python/deploy_packet.py" "$folder/work/"

# --- Run with the trees out of reach -------------------------------------------------------------
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    if ! id -u "$host_user" >/dev/null 2>&1; then
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            --comment "hosts of the install test of OrvaClassDeploy" "$host_user" 2>/dev/null ||
            id -u "$host_user" >/dev/null 2>&1 || die "could not create the system user $host_user"
    fi
    command -v setfacl >/dev/null || die "setfacl is missing (package acl; scripts/bootstrap installs it)"
    chown -R "$host_user" "$folder/work"
    for dir in "$source_dir" "$binary_dir"; do
        getfacl --skip-base --absolute-names "$dir" 2>/dev/null | grep -v '^#' | grep . >"$folder/acl.${#denied[@]}"
        denied+=("$dir")
        setfacl -m "u:$host_user:---" "$dir" || die "could not deny $host_user the folder $dir"
    done
    runuser -u "$host_user" -- test -r "$source_dir/CMakeLists.txt" && die "$host_user still reads the source tree"
    runuser -u "$host_user" -- test -r "$binary_dir/CMakeCache.txt" && die "$host_user still reads the build tree"
    run_as=(runuser -u "$host_user" --)
else
    echo "install test: not run as root, so the source and build trees stay readable for the run"
fi
run() {
    (cd "$folder/work" && "${run_as[@]}" env -i PATH=/usr/bin:/bin HOME="$folder/work" \
        LD_LIBRARY_PATH="$prefix/$libdir" ORVA_REGISTRY="$folder/work/registry" "$@")
}
tool="$prefix/bin/orva-deploy"

# The texts come from the installed translations: the source tree's copy is out of reach.
translated=$(run "$tool" --language EN translate "我的Orva" 2>&1)
[ "$translated" = "My Orva" ] || fail "orva-deploy translate gave \"$translated\", not the installed English text"
run "$tool" init --catalog account.db --demo >"$folder/init.log" 2>&1 || fail "init: $(cat "$folder/init.log")"
run "$tool" pack packet-set.json -o DeployFunction.Dat >"$folder/pack.log" 2>&1 || fail "pack: $(cat "$folder/pack.log")"

check_host() {
    local name=$1 out="$folder/$1.out"
    shift
    run "$@" DeployFunction.Dat account.db EN >"$out" 2>&1
    local status=$?
    [ "$status" -eq 0 ] || fail "$name exited with status $status: $(cat "$out")"
    grep -q "DeployToLumoMain returned True" "$out" || fail "$name did not deploy: $(cat "$out")"
    [ "$(wc -l <"$out")" -gt 1 ] || fail "$name printed no message list: $(cat "$out")"
}
check_host cxx-host ./cxx-host
check_host cxx-host-pc ./cxx-host-pc
run "$tool" register >"$folder/register.log" 2>&1 || fail "register: $(cat "$folder/register.log")"
grep -rqs "$prefix/$libdir/libOrvaClassDeploy.so" "$folder/work/registry" ||
    fail "the registry does not name the installed library"
check_host deploy_packet ./deploy_packet
check_host c-host ./c-host
# The Python example as installed, with the installed package and loader only.
if [ -x /usr/bin/python3 ] && [ -n "$python_init" ]; then
    check_host python-host env PYTHONPATH="$python_dir" /usr/bin/python3 -s -B \
        "$prefix/share/doc/orva-class-deploy/examples/python/deploy_packet.py"
fi

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "install test: passed (prefix $prefix)"
