#!/usr/bin/env bash
# Sets up, builds and starts the configurator against a simulated instrument.
#
# The simulator (kr7m-sim) answers on a pseudo-terminal under a temporary folder. The program runs
# with its settings file in that folder (KR7M_CONFIG_DIR): a copy of your own KR7M.ini when there
# is one, with port 1 pointing at the simulator and the direct connection chosen. Your own settings
# file is never touched. Closing the program stops the simulator and removes the folder.
#
# Usage: scripts/run.sh [kr7m-sim options...]     e.g. scripts/run.sh --rated-current 1
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
build=${KR7M_BUILD_DIR:-$top/build}

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target kr7m kr7m-sim

work=$(mktemp -d "${TMPDIR:-/tmp}/kr7m-run.XXXXXX")
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    # Braces, so that the shell's own note about the ended job goes nowhere too.
    { wait "$sim_pid"; } 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

link="$work/kr7m-sim"
"$build/bin/kr7m-sim" "$link" "$@" &
sim_pid=$!
for _ in $(seq 50); do
  [ -e "$link" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "run.sh: the simulator did not start" >&2; exit 1; }
  sleep 0.1
done
[ -e "$link" ] || { echo "run.sh: the simulator did not open $link" >&2; exit 1; }

# Start from the user's own settings, where they are kept.
for own in "$build/bin/KR7M.ini" "${XDG_CONFIG_HOME:-$HOME/.config}/kr7m/KR7M.ini"; do
  if [ -f "$own" ]; then
    cp "$own" "$work/KR7M.ini"
    break
  fi
done

# Port 1 names the simulator's terminal; the direct connection talks to it, or the bus
# interface when the simulator plays a bus of instruments.
bus=""
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  case "${args[$i]}" in
    --bus) bus="${args[$((i + 1))]:-}" ;;
    --bus=*) bus="${args[$i]#--bus=}" ;;
  esac
done
python3 - "$work/KR7M.ini" "$link" "$bus" <<'EOF'
import os
import sys

path, link, bus = sys.argv[1], sys.argv[2], sys.argv[3]
wanted = {"interface": {"COMPort": "1", "COMType": "0"}, "ports": {"COM1": f"\"{link}\""}}
if bus:
    # A bus of simulated instruments: the bus interface, talking to the first of them, with
    # all of them in the list of found addresses (the toolbar's address selector).
    found = [a for a in bus.split(",") if a.strip()]
    wanted["interface"]["COMType"] = "1"
    wanted["interface"]["DevAddr"] = found[0].strip()
    for slot in range(1, 33):
        value = found[slot - 1].strip() if slot <= len(found) else "0"
        wanted["interface"][f"DevAddr{slot}"] = value
names = {"interface": "Interface", "ports": "Ports"}
lines = []
if os.path.exists(path):
    with open(path, encoding="utf-8", errors="replace", newline="") as f:
        lines = f.read().splitlines()
out, section, done = [], None, set()

def flush(sec):
    for key, value in wanted.get(sec, {}).items():
        if (sec, key.lower()) not in done:
            out.append(f"{key} = {value}")
            done.add((sec, key.lower()))

for line in lines:
    text = line.strip()
    if text.startswith("[") and text.endswith("]"):
        flush(section)
        section = text[1:-1].strip().lower()
        out.append(line)
        continue
    key = text.split("=", 1)[0].strip()
    if "=" in text and section in wanted:
        match = [k for k in wanted[section] if k.lower() == key.lower()]
        if match:
            out.append(f"{match[0]} = {wanted[section][match[0]]}")
            done.add((section, key.lower()))
            continue
    out.append(line)
flush(section)
for sec in wanted:
    if any((sec, k.lower()) not in done for k in wanted[sec]):
        out.append(f"[{names[sec]}]")
        flush(sec)
with open(path, "w", encoding="utf-8", newline="") as f:
    f.write("\r\n".join(out) + "\r\n")
EOF

if [ -n "$bus" ]; then
  echo "run.sh: simulated bus of instruments $bus on $link (port 1, bus interface)"
else
  echo "run.sh: simulated instrument on $link (port 1, direct connection)"
fi
status=0
KR7M_CONFIG_DIR="$work" "$build/bin/kr7m" || status=$?
exit "$status"
