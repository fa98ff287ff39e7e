#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what it holds and what it needs:
# the three programs in /usr/bin, the run-time files in /usr/share/kr7m, the desktop entry and
# icons, nothing outside /usr, nothing writable for all, and dependencies by Debian's names.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/kr7m-package.XXXXXX")
trap 'rm -rf "$out"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/kr7m_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no kr7m_*.deb made"

listing=$(dpkg-deb -c "$deb")
files=$(awk '{print $6}' <<<"$listing" | sed 's|^\./|/|')
for f in /usr/bin/kr7m /usr/bin/kr7m-sim /usr/bin/kr7mctl /usr/share/kr7m/MainPan.uir \
         /usr/share/kr7m/MainPan.uirc \
         /usr/share/kr7m/kr7meng.lwl /usr/share/kr7m/kr7mdeu.lwl \
         /usr/share/applications/kr7m.desktop /usr/share/icons/hicolor/scalable/apps/kr7m.svg \
         /usr/share/icons/hicolor/256x256/apps/kr7m.png /usr/share/doc/kr7m/README.md; do
  grep -qx "$f" <<<"$files" || fail "the package lacks $f"
done
for image in new open save download upload print; do
  for ext in bmp svg; do
    grep -qx "/usr/share/kr7m/$image.$ext" <<<"$files" || fail "the package lacks $image.$ext"
  done
done
for page in KR7M_ENG.html KR7M_DEU.html help.css; do
  grep -qx "/usr/share/kr7m/$page" <<<"$files" || fail "the package lacks the help page $page"
done
outside=$(grep -v -e '^/$' -e '^/usr/' -e '^/usr$' <<<"$files" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
# Permission strings: the ninth character is the write bit for others.
writable=$(awk 'substr($1, 9, 1) == "w" {print $6}' <<<"$listing")
[ -z "$writable" ] || fail "writable for all: $writable"

[ "$(dpkg-deb -f "$deb" Package)" = kr7m ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
# Package names alone, one a line ("libc6 (>= 2.34), a | b" -> libc6, a, b).
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
              libqt6svg6 fonts-dejavu-core; do
  grep -Fqx "$needed" <<<"$names" || fail "Depends lacks $needed: $depends"
done
grep -q "Qt6\|/usr/lib" <<<"$depends" && fail "Depends names files, not packages: $depends"
echo "check_package: $(basename "$deb"): Depends: $depends"
echo "check_package: 1 passed, 0 failed"
