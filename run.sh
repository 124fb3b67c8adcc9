#!/usr/bin/env bash
# Sets up, builds and starts vesk-notch on the current display.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup
cmake --preset default >/dev/null
cmake --build --preset default --target vesk-notch
if [[ -z "${DISPLAY:-}" ]]; then
  echo "run.sh: VeskNotch needs an X11 display (DISPLAY is not set)." >&2
  exit 1
fi
exec build/bin/vesk-notch "$@"
