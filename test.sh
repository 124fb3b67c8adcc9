#!/usr/bin/env bash
# Sets up, builds and runs every test. Exits non-zero on any failure and on any test
# that did not run. With --asan first, the build and the run are the "asan" preset's:
# every program under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
preset=default
if [[ ${1:-} == --asan ]]; then
  preset=asan
  shift
fi
scripts/setup
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

# Fresh per-user folders for the whole run; each test process makes its own inside.
scratch=$(mktemp -d /tmp/vesk-tests-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"/{home,config,data,cache,runtime}
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
       XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime"
unset DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS PULSE_SERVER VESK_TRACE || true
if [[ $preset == asan ]]; then
  # The first report ends the process that made it, and so fails its test (the shared
  # test main fails a test for the reports of the programs it started). Leak checking
  # is off: the toolkits keep one-time allocations until the process ends.
  export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:check_initialization_order=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi

# One X server for the tests that need a real display; -noreset keeps keymap changes.
# CTest exits non-zero when a test fails or cannot run; a skipped or disabled test
# passes there, so its list of tests that did not run fails the run here.
status=0
xvfb-run -a -s "-noreset -screen 0 1920x1080x24" \
  ctest --preset "$preset" -j "$(nproc)" "$@" | tee "$scratch/ctest.log" || status=$?
if [[ $status -eq 0 ]] && grep -q '^The following tests did not run:' "$scratch/ctest.log"; then
  echo "test.sh: every test must run; the ones listed above did not" >&2
  status=1
fi
exit "$status"
