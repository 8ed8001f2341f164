#!/usr/bin/env bash
# Installs every Debian package that building, running and testing the tool needs.
# Non-interactive and idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-ibase libqt6sql6-odbc
  libsqlite3-dev sqlite3 libinih-dev libgtest-dev
  unixodbc unixodbc-dev tdsodbc odbc-postgresql postgresql
  firebird3.0-server firebird3.0-utils
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# Firebird asks for its SYSDBA password through debconf; answer it up front.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password plumtrove" | $sudo debconf-set-selections
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
