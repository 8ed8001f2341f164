#!/usr/bin/env bash
# The test command: installs what is missing, builds, starts the database servers the tests
# use, runs every test and stops the servers again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

servers=$(mktemp -d /tmp/orvek-test-XXXXXX)
trap 'scripts/test-servers.sh stop "$servers"; rm -rf "$servers"' EXIT
scripts/test-servers.sh start "$servers"
# shellcheck disable=SC1091
source "$servers/env"
ctest --test-dir build --output-on-failure "$@"
