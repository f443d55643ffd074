#!/usr/bin/env bash
# Set-up, build, run and test on a Debian 12 machine.
#
#   ./tavrolin.sh run              the main job on the default virtual PC
#   ./tavrolin.sh test [sanitize]  configure, build and run every test
#   ./tavrolin.sh build [preset]   build only (presets: default, debug, sanitize)
#   ./tavrolin.sh bench            build and run the benchmarks
#
# Missing Debian packages are installed first; builds are incremental.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libsqlite3-dev libcurl4-openssl-dev libarchive-dev libssl-dev
  libcpp-httplib-dev nlohmann-json3-dev libfmt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  hwdata unzip zip curl openssl sqlite3 ca-certificates
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # The package lists of a fresh machine may be stale or empty: update and try again.
  $sudo apt-get install -y --no-install-recommends "${missing[@]}" ||
    { $sudo apt-get update && $sudo apt-get install -y --no-install-recommends "${missing[@]}"; }
}

build() {
  local preset="${1:-default}"
  install_packages
  local dir=build
  [ "$preset" != default ] && dir="build-$preset"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset"
  fi
  cmake --build --preset "$preset"
}

# The sample catalog of the default PC's profile, served by tavrolin-service
# on 127.0.0.1: its packages under downloads/, its database packed as the
# service publishes it.
make_content() {
  local content="$1" profile="$2"
  rm -rf "$content"
  build/bin/tavrolin-dbtool catalog --profile "$profile" --out "$content/downloads"
  local expected="$content/downloads/expected.json" arch os
  arch=$(sed -n 's/^ *"arch": *\([0-9]*\).*/\1/p' "$expected" | head -1)
  os=$(sed -n 's/^ *"os": *\([0-9]*\).*/\1/p' "$expected" | head -1)
  mkdir -p "$content/databases/$arch/$os"
  build/bin/tavrolin-dbtool build --catalog "$content/downloads" --arch "$arch" --os "$os" \
    --out "$content/databases/$arch/$os/Drivers.7z"
}

# Starts the service with its standard input on this shell's descriptor 3,
# so it stops by itself when the script ends, however it ends. Call it from
# the script's own shell (not in $(...)), then read the address from OUT.
start_service() {
  local content="$1" out="$2"
  rm -f "$out"
  exec 3> >(exec build/bin/tavrolin-service --content "$content" --port 0 --stop-with-stdin >"$out" 2>&1)
  local i
  for i in $(seq 100); do
    grep -q '^listening on ' "$out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "tavrolin-service did not start: see $out" >&2
  exit 1
}

run_main_job() {
  build default
  local run=build/run vpc=build/bin/tavrolin-vpc host name
  make_content "$run/content" data/machines/win7-x64.json
  start_service "$run/content" "$run/service.out"
  host=$(sed -n 's/^listening on //p' "$run/service.out" | head -1)
  echo "Driver service: http://$host (access log $run/content/access.log)"
  for name in ServiceHost DownloadHost; do
    $vpc reg add 'HKCU\SOFTWARE\Tavrolin' /v "$name" /t REG_SZ /d "$host" /f >/dev/null
  done
  # The scan fetches the driver database from the service first when the PC
  # has none or an old one.
  build/bin/tavrolin-cli scan
  build/bin/tavrolin-cli list
  build/bin/tavrolin-cli download --all || true
  exec 3>&-
  local pc="${TAVROLIN_MACHINE:-}"
  echo "Virtual PC: ${pc:-the default one at $($vpc path 'C:\')}"
  echo "Packages: $($vpc path '%USERPROFILE%\Documents\Tavrolin\Drivers')"
  echo "Log: $($vpc path '%APPDATA%\Tavrolin\program.log')"
}

run_tests() {
  local preset="${1:-default}"
  build "$preset"
  ctest --preset "$preset" -j2
}

case "${1:-}" in
  run) run_main_job ;;
  test) run_tests "${2:-default}" ;;
  build) build "${2:-default}" ;;
  bench)
    build default
    for b in build/bench/bench_*; do [ -x "$b" ] && "$b"; done
    ;;
  *)
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
