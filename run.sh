#!/usr/bin/env bash
# Sets up, builds and starts vesk-notch on the current display.
# Without a display it runs the program on a private X server with a compositing
# manager, shows the sound activity (VESK_DEMO=sound), saves a screenshot of the screen
# and prints the screenshot's path.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup
cmake --preset default >/dev/null
cmake --build --preset default --target vesk-notch vesk-media-adapter

# GNOME grants location only to a program whose desktop entry is installed under the id
# it gives GeoClue ("vesk-notch").
entry="${XDG_DATA_HOME:-$HOME/.local/share}/applications/vesk-notch.desktop"
if [[ ! -e "$entry" ]]; then
  mkdir -p "$(dirname "$entry")"
  printf '%s\n' '[Desktop Entry]' 'Type=Application' 'Name=VeskNotch' \
    "Exec=$PWD/build/bin/vesk-notch" 'NoDisplay=true' > "$entry"
fi

if [[ -n "${DISPLAY:-}" ]]; then
  exec build/bin/vesk-notch "$@"
fi

mkdir -p build/screenshots
shot="$PWD/build/screenshots/vesk-notch-$(date +%Y%m%d-%H%M%S).png"
if [[ -z "${XDG_RUNTIME_DIR:-}" || ! -d "${XDG_RUNTIME_DIR}" ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/vesk-run-XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
  export XDG_RUNTIME_DIR
fi

SHOT="$shot" xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c '
  set -uo pipefail
  xcompmgr & compositor=$!
  VESK_DEMO=sound build/bin/vesk-notch "$@" & app=$!
  # The sound pill appears one second after launch; give the window time to grow.
  sleep 5
  if ! kill -0 "$app" 2>/dev/null; then
    wait "$app"; status=$?
    echo "run.sh: vesk-notch ended early (status $status)" >&2
    kill "$compositor"; exit 1
  fi
  status=0
  if ! /usr/bin/import -window root "$SHOT"; then
    echo "run.sh: the screenshot failed" >&2; status=1
  fi
  kill -TERM "$app"; wait "$app"
  kill "$compositor"; wait "$compositor" 2>/dev/null
  exit $status
' run.sh "$@"
echo "$shot"
