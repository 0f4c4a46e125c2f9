#!/usr/bin/env bash
# Checks the Debian packages of the project: the split (each file in the package it belongs to, each
# library's package named after its soname with its shlibs and the ldconfig trigger), the fields and
# run-time dependencies, copyright and changelog in every package, the tool's maintainer scripts
# (register after installation, unregister before removal, no ldconfig call), lintian's verdict, and
# the unpacked program running on the unpacked libraries. Without package files it first makes them
# from the build tree with cpack.
# Usage: package-test.sh BINARY_DIR [FOLDER_WITH_THE_PACKAGES]
set -uo pipefail
binary_dir=$(cd "$1" && pwd)
packages_dir=${2:-}

failed=0
fail() { echo "package test: $*" >&2; failed=1; }
die() { echo "package test: $*" >&2; exit 1; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

if [ -z "$packages_dir" ]; then
    packages_dir="$folder/out"
    (cd "$folder" && cpack --config "$binary_dir/CPackConfig.cmake" -B "$packages_dir" >"$folder/cpack.log" 2>&1) || {
        cat "$folder/cpack.log" >&2
        die "cpack failed"
    }
fi
version=0.1.0
revision=$version-1
declare -A deb
for name in liborvaclassdeploy0 liborvaloader0 liborvaclassdeploy-dev orva-class-deploy python3-orva-automation; do
    deb[$name]=$(find "$packages_dir" -maxdepth 1 -name "${name}_${revision}_*.deb" | head -n 1)
    [ -n "${deb[$name]}" ] || die "no package $name in $packages_dir: $(ls "$packages_dir")"
done
count=$(find "$packages_dir" -maxdepth 1 -name "*_${revision}_*.deb" | wc -l)
[ "$count" -eq 5 ] || fail "$count packages were made, not 5: $(ls "$packages_dir")"

# --- Control fields --------------------------------------------------------------------------------
field() { dpkg-deb -f "${deb[$1]}" "$2"; }
# relation PACKAGE FIELD NAME [VERSION-RELATION]: the field names NAME, with a version when asked
relation() {
    local value
    value=$(field "$1" "$2")
    printf '%s\n' "$value" | tr ',' '\n' | grep -qE "^ *$3${4:+ \\($4}" || fail "$1's $2 does not name $3${4:+ ($4)}: $value"
}
for name in "${!deb[@]}"; do
    [ "$(field "$name" Package)" = "$name" ] || fail "${deb[$name]} holds package \"$(field "$name" Package)\""
    [ "$(field "$name" Version)" = "$revision" ] || fail "$name's Version is \"$(field "$name" Version)\""
    maintainer=$(field "$name" Maintainer)
    [[ "$maintainer" =~ ^[^\<]+\ \<[^@\>]+@[a-z0-9.-]+\.[a-z]+\>$ ]] || fail "$name's Maintainer is \"$maintainer\""
    # Debian wants a summary and description lines of at most 80 characters.
    dpkg-deb -f "${deb[$name]}" Description | awk -v name="$name" 'length($0) > 80 { print name ": " $0 }' >"$folder/long"
    [ ! -s "$folder/long" ] || fail "description lines longer than 80 characters: $(cat "$folder/long")"
done
# dpkg-shlibdeps found the libraries the binaries link, with versions.
for library in libc6 'libstdc\+\+6' libsqlite3-0 libpq5 'libicu[0-9]+' libgettextpo0 libfontconfig1 libqt6widgets6; do
    relation liborvaclassdeploy0 Depends "$library" ">= "
done
# Qt's translations, which no binary links: the dialogs' own Qt texts in the login's language.
relation liborvaclassdeploy0 Depends qt6-translations-l10n
relation liborvaclassdeploy0 Recommends orva-class-deploy
relation liborvaloader0 Depends libc6 ">= "
relation liborvaclassdeploy-dev Depends liborvaclassdeploy0 "= $revision"
relation liborvaclassdeploy-dev Depends liborvaloader0 "= $revision"
relation orva-class-deploy Depends liborvaclassdeploy0
relation python3-orva-automation Depends liborvaloader0 "= $revision"
relation python3-orva-automation Depends python3
[ "$(field python3-orva-automation Architecture)" = all ] || fail "python3-orva-automation is not for every architecture"

# --- Files: each package holds what it is for, and no file is in two --------------------------------
for name in "${!deb[@]}"; do
    dpkg-deb -c "${deb[$name]}" >"$folder/$name.contents" || die "dpkg-deb -c ${deb[$name]} failed"
    # "mode owner size date time path[ -> target]"
    awk '{ print $6 }' "$folder/$name.contents" | grep -v '^\./$' | grep -v '^\./usr/' | sed 's/^/    /' >"$folder/outside"
    [ ! -s "$folder/outside" ] || fail "$name has files outside /usr:
$(cat "$folder/outside")"
    awk '$2 != "root/root" { print $6 }' "$folder/$name.contents" >"$folder/not-root"
    [ ! -s "$folder/not-root" ] || fail "$name has files not owned by root: $(cat "$folder/not-root")"
    grep -qE " \./usr/share/doc/$name/copyright$" "$folder/$name.contents" || fail "$name has no copyright file"
    grep -qE " \./usr/share/doc/$name/changelog\.Debian\.gz$" "$folder/$name.contents" || fail "$name has no changelog"
done
cat "$folder"/*.contents | awk '$1 !~ /^d/ { print $6 }' | sort | uniq -d >"$folder/twice"
[ ! -s "$folder/twice" ] || fail "files in more than one package: $(cat "$folder/twice")"
has() { grep -qE "$2" "$folder/$1.contents" || fail "$1 has no $3"; }
hasnt() { ! grep -qE "$2" "$folder/$1.contents" || fail "$1 holds $3"; }
lib=' \./usr/lib/([a-z0-9_-]+/)?'
has liborvaclassdeploy0 "${lib}libOrvaClassDeploy\.so\.0\.1\.0$" "libOrvaClassDeploy.so.0.1.0"
has liborvaclassdeploy0 "${lib}libOrvaClassDeploy\.so\.0 -> libOrvaClassDeploy\.so\.0\.1\.0$" "soname link"
has liborvaclassdeploy0 "${lib}libOrvaClassDeployViews\.so\.0 -> " "views module"
has liborvaclassdeploy0 ' \./usr/share/orva/translations/OrvaDesign\.EN\.po$' "English translation"
hasnt liborvaclassdeploy0 "${lib}libOrva(ClassDeploy|ClassDeployViews|Loader)\.so$|\.so -> |/include/|/bin/" "development links, headers or programs"
has liborvaloader0 "${lib}libOrvaLoader\.so\.0 -> libOrvaLoader\.so\.0\.1\.0$" "soname link"
hasnt liborvaloader0 '\.so$|\.so -> |/include/|/bin/' "development links, headers or programs"
has liborvaclassdeploy-dev "${lib}libOrvaClassDeploy\.so -> libOrvaClassDeploy\.so\.0$" "development link"
has liborvaclassdeploy-dev "${lib}libOrvaLoader\.so -> libOrvaLoader\.so\.0$" "loader's development link"
has liborvaclassdeploy-dev ' \./usr/include/OrvaClassDeploy/api/clsDeploywizard\.h$' "C++ header"
has liborvaclassdeploy-dev ' \./usr/include/orva/orva_automation\.h$' "C header"
has liborvaclassdeploy-dev "${lib}pkgconfig/orva-class-deploy\.pc$" "pkg-config file"
has liborvaclassdeploy-dev "${lib}cmake/OrvaClassDeploy/OrvaClassDeployConfig\.cmake$" "CMake package"
hasnt liborvaclassdeploy-dev ' \./[^ ]*\.so\.[0-9.]+( -> |$)' "run-time libraries"
has orva-class-deploy '^-rwxr-xr-x .* \./usr/bin/orva-deploy$' "executable usr/bin/orva-deploy"
has orva-class-deploy ' \./usr/share/man/man1/orva-deploy\.1\.gz$' "manual page"
has orva-class-deploy ' \./usr/share/doc/orva-class-deploy/README\.md$' "README"
has orva-class-deploy ' \./usr/share/bash-completion/completions/orva-deploy$' "bash completion"
has orva-class-deploy ' \./usr/share/zsh/vendor-completions/_orva-deploy$' "zsh completion"
has liborvaclassdeploy0 "${lib}orva-class-deploy/libOrvaPostgres\.so$" "PostgreSQL module"
has orva-class-deploy ' \./usr/share/doc/orva-class-deploy/host-api\.md$' "host reference"
has orva-class-deploy ' \./usr/share/doc/orva-class-deploy/examples/python/deploy_packet\.py$' "Python example"
hasnt orva-class-deploy '/lib/|/include/' "libraries or headers"
has python3-orva-automation ' \./usr/lib/python3/dist-packages/orva_automation/__init__\.py$' "Python package"
hasnt python3-orva-automation '\.so|/bin/|/include/|\.pyc$' "libraries, programs, headers or bytecode"

# --- Control files -----------------------------------------------------------------------------------
for name in "${!deb[@]}"; do
    dpkg-deb -e "${deb[$name]}" "$folder/$name.control" || die "dpkg-deb -e ${deb[$name]} failed"
done
# The libraries: shlibs that accept later compatible builds, dpkg's ldconfig trigger, no scripts.
for pair in liborvaclassdeploy0:libOrvaClassDeploy liborvaloader0:libOrvaLoader; do
    name=${pair%%:*}
    grep -qx "${pair#*:} 0 $name (>= $revision)" "$folder/$name.control/shlibs" 2>/dev/null ||
        fail "$name's shlibs is not \"${pair#*:} 0 $name (>= $revision)\": $(cat "$folder/$name.control/shlibs" 2>&1)"
    grep -qx 'activate-noawait ldconfig' "$folder/$name.control/triggers" 2>/dev/null ||
        fail "$name does not activate the ldconfig trigger"
    for script in preinst postinst prerm postrm; do
        [ ! -e "$folder/$name.control/$script" ] || fail "$name has a $script: $(cat "$folder/$name.control/$script")"
    done
done
control="$folder/orva-class-deploy.control"
for script in postinst prerm postrm; do
    file="$control/$script"
    [ -f "$file" ] || { fail "orva-class-deploy has no $script"; continue; }
    [ -x "$file" ] || fail "$script is not executable"
    sh -n "$file" || fail "$script is not valid sh"
    ! grep -qE '^[^#]*\bldconfig\b' "$file" || fail "$script calls ldconfig"
done
grep -q '^tool=/usr/bin/orva-deploy$' "$control/postinst" || fail "postinst does not run /usr/bin/orva-deploy"
grep -q '"$tool" register --system' "$control/postinst" || fail "postinst does not register system-wide"
grep -q '"$tool" unregister --system' "$control/prerm" || fail "prerm does not unregister system-wide"
grep -q '^ *rmdir /etc/orva/registry ' "$control/postrm" 2>/dev/null ||
    fail "postrm does not remove the empty system registry on purge"

# The maintainer scripts with a stand-in program, in both directions: register only on configure,
# unregister only on remove, and a failing program leaves the script successful but says so.
mkdir -p "$folder/fake"
cat >"$folder/fake/orva-deploy" <<FAKE
#!/bin/sh
echo "\$*" >>"$folder/fake/calls"
[ "\$ORVA_FAKE_STATUS" = 0 ]
FAKE
chmod +x "$folder/fake/orva-deploy"
for script in postinst prerm; do
    sed -e "s|^tool=.*|tool=$folder/fake/orva-deploy|" "$control/$script" >"$folder/fake/$script"
done
# script argument status: expected calls / whether a warning is printed
while read -r script argument status expected warned; do
    rm -f "$folder/fake/calls"
    ORVA_FAKE_STATUS=$status sh "$folder/fake/$script" "$argument" 2>"$folder/fake/stderr" ||
        fail "$script $argument ended with a failure when the program's status was $status"
    calls=$(cat "$folder/fake/calls" 2>/dev/null)
    want=${expected//_/ }
    if [ "$want" = - ]; then want=""; fi
    [ "$calls" = "$want" ] || fail "$script $argument ran \"$calls\", expected \"$want\""
    if [ "$warned" = yes ]; then
        grep -q "failed" "$folder/fake/stderr" || fail "$script $argument did not report the failure"
    else
        [ ! -s "$folder/fake/stderr" ] || fail "$script $argument wrote: $(cat "$folder/fake/stderr")"
    fi
done <<'CASES'
postinst configure 0 register_--system no
postinst configure 1 register_--system yes
postinst abort-upgrade 0 - no
prerm remove 0 unregister_--system no
prerm remove 1 unregister_--system yes
prerm upgrade 0 - no
CASES

# --- The unpacked program runs on the packages' own libraries ---------------------------------------
for name in "${!deb[@]}"; do
    dpkg-deb -x "${deb[$name]}" "$folder/root" || die "dpkg-deb -x ${deb[$name]} failed"
done
library=$(dirname "$(find "$folder/root/usr/lib" -name 'libOrvaClassDeploy.so.0' | head -n 1)")
translated=$(env -i PATH=/usr/bin:/bin LD_LIBRARY_PATH="$library" "$folder/root/usr/bin/orva-deploy" \
    --language EN translate "我的Orva" 2>&1)
[ "$translated" = "My Orva" ] || fail "the unpacked orva-deploy translated to \"$translated\""

# --- lintian ---------------------------------------------------------------------------------------
# No error, and no warning but these, each for the reason given:
#   initial-upload-closes-no-bugs (every package): the first changelog entry of a package uploaded to
#     Debian closes its ITP bug; these packages are made for our users' machines, not uploaded.
allowed_warnings=(
    "initial-upload-closes-no-bugs"
)
# A build tree configured for another prefix than /usr (the test builds; scripts/package configures
# for /usr) has lib/ for its library folder, not lib/<triplet>, so lintian finds the pkg-config files
# in a folder that a cross build does not search.
allowed_errors=()
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$binary_dir/CMakeCache.txt")
if [ "$prefix" != /usr ]; then allowed_warnings+=("pkg-config-unavailable-for-cross-compilation"); fi
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 --display-level ">=warning" "${deb[@]}" >"$folder/lintian" 2>&1
    [ -z "${ORVA_SHOW_LINTIAN:-}" ] || cat "$folder/lintian"
    while IFS= read -r line; do
        case "$line" in
            E:* | W:*) ;;
            *) continue ;;
        esac
        tag=${line#?: }
        allowed=no
        if [[ "$line" == W:* ]]; then list=("${allowed_warnings[@]}"); else list=("${allowed_errors[@]}"); fi
        for entry in "${list[@]}"; do
            case "$tag" in *"$entry"*) allowed=yes ;; esac
        done
        [ "$allowed" = yes ] || fail "lintian: $line"
    done <"$folder/lintian"
elif [ "${CI:-}" = true ]; then
    fail "lintian is missing (scripts/bootstrap installs it)"
else
    echo "package test: lintian is missing, its verdict is not checked (scripts/bootstrap installs it)"
fi

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "package test: passed ($(cd "$packages_dir" && ls ./*.deb | tr '\n' ' '))"
