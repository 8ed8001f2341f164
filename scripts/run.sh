#!/usr/bin/env bash
# The run command: installs what is missing, builds, makes a demonstration folder (./demo) on
# first use and opens the window there. Without a display it summarises the demo's days with
# orvek-cli instead and prints the summary.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

# The demo's amounts and rates are written as Brazilian printers write them (1.234,56, 18,00),
# which only regional settings with a decimal comma read: the demo runs under Brazil's,
# whatever this machine's are. env, so that the shell itself does not try the locale.
brazil=(env LC_ALL=pt_BR.UTF-8)
demo=$root/demo
if [ ! -e "$demo/Confeccao.db" ]; then
    # Under this machine's own settings, so that the command it suggests works in this shell.
    build/cli/orvek-cli demo "$demo"
fi
# Both programs read ./Vendrake.ini from their working folder.
cd "$demo"

read -r inicio final < <(sqlite3 Confeccao.db \
    "SELECT min(DATA_MOVIMENTO) || ' ' || max(DATA_MOVIMENTO) FROM BR_REDUCAOZ")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: summarising the demo's days $inicio to $final with orvek-cli instead."
    exec "${brazil[@]}" "$root/build/cli/orvek-cli" export --inicio "$inicio" --final "$final"
fi
echo "Opening the window in $demo: set the days $inicio to $final and press the button."
exec "${brazil[@]}" "$root/build/app/Orvek"
