#!/usr/bin/env bash
# Checks a Debian package of the library with dpkg-deb: its fields and run-time dependencies, that
# every file lies under /usr with the library's soname links and the manual page, the maintainer
# scripts (ldconfig, register after installation, unregister before removal, executable, valid sh),
# the shlibs file for packages that link the library; then runs the unpacked program from its own library
# folder. Without a package file it first makes one from the build tree with cpack.
# Usage: package-test.sh BINARY_DIR [PACKAGE.deb]
set -uo pipefail
binary_dir=$(cd "$1" && pwd)
package=${2:-}

failed=0
fail() { echo "package test: $*" >&2; failed=1; }
die() { echo "package test: $*" >&2; exit 1; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

if [ -z "$package" ]; then
    (cd "$folder" && cpack --config "$binary_dir/CPackConfig.cmake" -B "$folder/out" >"$folder/cpack.log" 2>&1) || {
        cat "$folder/cpack.log" >&2
        die "cpack failed"
    }
    package=$(find "$folder/out" -maxdepth 1 -name '*.deb' | head -n 1)
    [ -n "$package" ] || die "cpack made no .deb file"
fi
[ -f "$package" ] || die "$package is no file"

# --- Control fields --------------------------------------------------------------------------------
field() { dpkg-deb -f "$package" "$1"; }
[ "$(field Package)" = orva-class-deploy ] || fail "Package is \"$(field Package)\""
[ "$(field Version)" = 0.1.0 ] || fail "Version is \"$(field Version)\""
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# dpkg-shlibdeps found the libraries the binaries link, with versions.
for library in libc6 libstdc++6 libsqlite3-0 libpq5 'libicu[0-9]' libgettextpo0 libfontconfig1; do
    printf '%s\n' "$depends" | tr ',' '\n' | grep -q "^ *$library.*(>= " ||
        fail "Depends does not name $library with a version: $depends"
done
# Qt's translations, which no binary links: the dialogs' own Qt texts in the login's language.
printf '%s\n' "$depends" | tr ',' '\n' | grep -q "^ *qt6-translations-l10n" ||
    fail "Depends does not name qt6-translations-l10n: $depends"

# --- Files -----------------------------------------------------------------------------------------
dpkg-deb -c "$package" >"$folder/contents" || die "dpkg-deb -c failed"
# "mode owner size date time path[ -> target]"
awk '{ print $6 }' "$folder/contents" | grep -v '^\./$' | grep -v '^\./usr/' | sed 's/^/    /' >"$folder/outside"
[ ! -s "$folder/outside" ] || fail "files outside /usr:
$(cat "$folder/outside")"
awk '$2 != "root/root" { print $6 }' "$folder/contents" >"$folder/not-root"
[ ! -s "$folder/not-root" ] || fail "files not owned by root: $(cat "$folder/not-root")"
has() { grep -qE "$1" "$folder/contents" || fail "the package has no $2"; }
has ' \./usr/bin/orva-deploy$' "usr/bin/orva-deploy"
has '^-rwxr-xr-x .* \./usr/bin/orva-deploy$' "executable usr/bin/orva-deploy"
has ' \./usr/lib/([a-z0-9_-]+/)?libOrvaClassDeploy\.so\.0\.1\.0$' "libOrvaClassDeploy.so.0.1.0"
has ' \./usr/lib/([a-z0-9_-]+/)?libOrvaClassDeploy\.so\.0 -> libOrvaClassDeploy\.so\.0\.1\.0$' "soname link"
has ' \./usr/lib/([a-z0-9_-]+/)?libOrvaClassDeploy\.so -> libOrvaClassDeploy\.so\.0$' "development link"
has ' \./usr/share/man/man1/orva-deploy\.1\.gz$' "manual page"
has ' \./usr/share/bash-completion/completions/orva-deploy$' "bash completion"
has ' \./usr/share/orva/translations/OrvaDesign\.EN\.po$' "English translation"
has ' \./usr/share/doc/orva-class-deploy/README\.md$' "README"
has ' \./usr/include/OrvaClassDeploy/api/clsDeploywizard\.h$' "C++ header"
has ' \./usr/lib/([a-z0-9_-]+/)?pkgconfig/orva-class-deploy\.pc$' "pkg-config file"

# --- Maintainer scripts ----------------------------------------------------------------------------
dpkg-deb -e "$package" "$folder/control" || die "dpkg-deb -e failed"
for script in postinst prerm postrm; do
    file="$folder/control/$script"
    [ -f "$file" ] || { fail "no $script"; continue; }
    [ -x "$file" ] || fail "$script is not executable"
    sh -n "$file" || fail "$script is not valid sh"
done
grep -q '^tool=/usr/bin/orva-deploy$' "$folder/control/postinst" || fail "postinst does not run /usr/bin/orva-deploy"
grep -q '"$tool" register --system' "$folder/control/postinst" || fail "postinst does not register system-wide"
grep -q '"$tool" unregister --system' "$folder/control/prerm" || fail "prerm does not unregister system-wide"
grep -qE '^libOrvaClassDeploy 0 orva-class-deploy' "$folder/control/shlibs" 2>/dev/null ||
    fail "no shlibs line for libOrvaClassDeploy 0"
grep -qx ' *ldconfig' "$folder/control/postinst" || fail "postinst does not run ldconfig"
grep -qx ' *ldconfig' "$folder/control/postrm" 2>/dev/null || fail "postrm does not run ldconfig"
grep -q '^ *rmdir /etc/orva/registry ' "$folder/control/postrm" 2>/dev/null ||
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
    sed -e "s|^tool=.*|tool=$folder/fake/orva-deploy|" -e 's|^\( *\)ldconfig$|\1:|' "$folder/control/$script" \
        >"$folder/fake/$script"
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

# --- The unpacked program runs on the package's own library --------------------------------------
dpkg-deb -x "$package" "$folder/root" || die "dpkg-deb -x failed"
library=$(dirname "$(find "$folder/root/usr/lib" -name 'libOrvaClassDeploy.so.0' | head -n 1)")
translated=$(env -i PATH=/usr/bin:/bin LD_LIBRARY_PATH="$library" "$folder/root/usr/bin/orva-deploy" \
    --language EN translate "我的Orva" 2>&1)
[ "$translated" = "My Orva" ] || fail "the unpacked orva-deploy translated to \"$translated\""

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "package test: passed ($(basename "$package"))"
