#!/usr/bin/env bash
# Share of one core that a running Lumaro.exe uses, read from /proc (Wine's
# GetProcessTimes does not see another process's times). Also the Wine server's
# and X server's share over the same time, which work on the program's behalf.
#   cpu-share.sh LUMARO_EXE [SECONDS]
set -euo pipefail
exe="$1"
seconds="${2:-20}"
ticks=$(getconf CLK_TCK)
wine "$exe" >/dev/null 2>&1 &
sleep 4 # past start-up
pid=$(pgrep -n -x Lumaro.exe)
server=$(pgrep -f 'wineserver' | head -n 1 || true)
xserver=$(pgrep -x Xvfb | head -n 1 || true)
cpu() { [ -n "$1" ] && awk '{print $14 + $15}' "/proc/$1/stat" || echo 0; }
p0=$(cpu "$pid"); s0=$(cpu "$server"); x0=$(cpu "$xserver")
sleep "$seconds"
p1=$(cpu "$pid"); s1=$(cpu "$server"); x1=$(cpu "$xserver")
share() { awk -v a="$1" -v b="$2" -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", (b - a) / t / s * 100 }'; }
echo "running Lumaro over ${seconds} s: program $(share "$p0" "$p1")% of one core," \
     "Wine server $(share "$s0" "$s1")%, X server $(share "$x0" "$x1")%"
kill "$pid" 2>/dev/null || true
