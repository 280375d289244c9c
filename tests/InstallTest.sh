#!/bin/sh
# Installs the build given as $1 into a fresh folder and checks what a packaged Quenby needs: the
# programs, the manual (and that the installed quenby finds it there), the desktop entry, the
# icons and the man pages.
build="${1:?usage: InstallTest.sh BUILD_DIR}"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
status=0
fail() { echo "FAILED: $1"; status=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
for f in bin/quenby bin/quenby-sql bin/quenby-history share/doc/quenby/manual.htm share/doc/quenby/copyright \
    share/applications/quenby.desktop share/icons/hicolor/scalable/apps/quenby.svg \
    share/man/man1/quenby.1 share/man/man1/quenby-sql.1 share/man/man1/quenby-history.1; do
    [ -s "$prefix/$f" ] || fail "missing $f"
done
for n in 16 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${n}x${n}/apps/quenby.png"
    [ -s "$png" ] || fail "missing ${n}x${n} icon"
    # The PNG header's width and height (bytes 17-24) are the folder's size.
    size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$size" = "${n}x${n}" ] || fail "${n}x${n}/apps/quenby.png is $size"
done
[ -x "$prefix/bin/quenby" ] || fail "bin/quenby is not executable"
[ -x "$prefix/bin/quenby-sql" ] || fail "bin/quenby-sql is not executable"
[ -x "$prefix/bin/quenby-history" ] || fail "bin/quenby-history is not executable"

# The installed program finds the installed manual, not the build folder's.
"$prefix/bin/quenby" --help | grep -qxF "The manual: $prefix/share/doc/quenby/manual.htm" ||
    fail "the installed quenby does not find $prefix/share/doc/quenby/manual.htm"
"$prefix/bin/quenby-sql" --version | grep -q '^quenby-sql [0-9]' || fail "quenby-sql --version"
"$prefix/bin/quenby-history" --version | grep -q '^quenby-history [0-9]' ||
    fail "quenby-history --version"

desktop="$prefix/share/applications/quenby.desktop"
for line in 'Type=Application' 'Name=Quenby' 'Exec=quenby' 'Icon=quenby' 'Terminal=false' \
    'Categories=Development;Database;'; do
    grep -qxF "$line" "$desktop" || fail "quenby.desktop lacks $line"
done
grep -q '^Comment=.' "$desktop" || fail "quenby.desktop lacks a Comment"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
for page in quenby quenby-sql quenby-history; do
    head -1 "$prefix/share/man/man1/$page.1" | grep -q '^\.TH ' || fail "$page.1 is no man page"
done
[ $status -eq 0 ] && echo "installed and checked in $prefix"
exit $status
