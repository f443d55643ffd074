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

run_main_job() {
  build default
  local pc="${TAVROLIN_MACHINE:-}"
  build/bin/tavrolin /CHECKINSTALL
  local log_path
  log_path=$(build/bin/tavrolin-vpc path '%APPDATA%\Tavrolin\program.log')
  echo "Virtual PC: ${pc:-the default one (see 'build/bin/tavrolin-vpc path C:\\')}"
  echo "Log: $log_path"
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
