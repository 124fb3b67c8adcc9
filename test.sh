#!/usr/bin/env bash
# Sets up, builds and runs every test. Exits non-zero on any failure and on any test
# that did not run.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup
cmake --preset default >/dev/null
cmake --build --preset default

# Fresh per-user folders for the whole run; each test process makes its own inside.
scratch=$(mktemp -d /tmp/vesk-tests-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"/{home,config,data,cache,runtime}
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
       XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime"
unset DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS PULSE_SERVER VESK_TRACE || true

# One X server for the tests that need a real display; -noreset keeps keymap changes.
# CTest exits non-zero when a test fails or cannot run; a skipped or disabled test
# passes there, so its list of tests that did not run fails the run here.
status=0
xvfb-run -a -s "-noreset -screen 0 1920x1080x24" \
  ctest --preset default -j "$(nproc)" "$@" | tee "$scratch/ctest.log" || status=$?
if [[ $status -eq 0 ]] && grep -q '^The following tests did not run:' "$scratch/ctest.log"; then
  echo "test.sh: every test must run; the ones listed above did not" >&2
  status=1
fi
exit "$status"
