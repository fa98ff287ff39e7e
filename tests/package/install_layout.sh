#!/usr/bin/env bash
# An installed tree, as `cmake --install` makes it, moved to another prefix afterwards: the
# programs find their run-time files, the configurator comes up and keeps its settings in the
# user's folder (not beside itself, though root may write there), and kr7mctl talks to kr7m-sim.
# Usage: install_layout.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kr7m-install.XXXXXX")
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && { wait "$sim_pid"; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "install_layout: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
prefix=$work/moved
for f in bin/kr7m bin/kr7m-sim bin/kr7mctl share/kr7m/MainPan.uir share/kr7m/MainPan.uirc \
         share/kr7m/kr7meng.lwl \
         share/kr7m/kr7mdeu.lwl share/applications/kr7m.desktop \
         share/icons/hicolor/scalable/apps/kr7m.svg share/icons/hicolor/48x48/apps/kr7m.png; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
for image in new open save download upload print; do
  for ext in bmp svg; do
    [ -f "$prefix/share/kr7m/$image.$ext" ] || fail "missing share/kr7m/$image.$ext"
  done
done
for page in KR7M_ENG.html KR7M_DEU.html help.css; do
  [ -f "$prefix/share/kr7m/$page" ] || fail "missing share/kr7m/$page (help page)"
done

# The configurator: a window that stays up until it is ended, and a settings file in the home.
home=$work/home
mkdir -p "$home"
status=0
env -u KR7M_CONFIG_DIR -u XDG_CONFIG_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
  timeout 8 "$prefix/bin/kr7m" >"$work/kr7m.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/kr7m.log" >&2; fail "kr7m ended by itself (status $status)"; }
[ -f "$home/.config/kr7m/KR7M.ini" ] || fail "no settings file in ~/.config/kr7m"
if find "$prefix" -name KR7M.ini | grep -q .; then fail "settings written into the installed tree"; fi

# The command-line tool against the simulator, both from the installed tree.
"$prefix/bin/kr7m-sim" "$work/sim" >/dev/null 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/sim" ] && break; sleep 0.1; done
env -u KR7M_CONFIG_DIR HOME="$home" "$prefix/bin/kr7mctl" --device "$work/sim" info >"$work/info" ||
  fail "kr7mctl info failed"
grep -q . "$work/info" || fail "kr7mctl info printed nothing"
echo "install_layout: 1 passed, 0 failed"
