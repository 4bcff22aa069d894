#!/usr/bin/env bash
# Takes the README's screenshots from the real program under Xvfb and
# openbox: the framed style with the details panel and map, the frameless
# style, and the preferences window. Usage (or `make screenshots`):
#   scripts/screenshots.sh build/fennic build/tests/make-samples OUTPUT_DIR
OUT=${FENNIC_SHOTS_OUT:-$(realpath -m "${3:?output folder}")}
export FENNIC_SHOTS_OUT=$OUT
set -- "$1" "$2"
source "$(dirname "$0")/../tests/e2e/lib.sh" "$@"
mkdir -p "$FENNIC_SHOTS_OUT"
start_window_manager
"$MAKE_SAMPLES" samples "$WORK/samples" >/dev/null

# Saves the window (its frame included) as $2.jpg.
shoot() {
  local id=$1 name=$2 x y w h
  read -r x y w h <<<"$(frame_geometry "$id")"
  # At most 900 pixels wide: readable in the README, small in the repository.
  import -window root -crop "${w}x${h}+${x}+${y}" +repage -resize '900x900>' -quality 85 "$FENNIC_SHOTS_OUT/$name.jpg"
  echo "wrote $FENNIC_SHOTS_OUT/$name.jpg (${w}x${h})"
}
settings() {
  mkdir -p "$XDG_CONFIG_HOME/fennic"
  printf '[General]\nvisualStyleAsFrame=%s\nhideInfoSidebarStorage=%s\nsetFileDefaults=false\n' \
    "$1" "$2" >"$XDG_CONFIG_HOME/fennic/fennic.conf"
}

settings true false
start_fennic "$WORK/samples/city-paris.jpg"
id=$(wait_for_window city-paris.jpg)
sleep 3 # the map's place name and the last paint
shoot "$id" framed-details
xdotool key --window "$id" ctrl+comma
pref=$(wait_for_window 'Preferences' 10)
sleep 1
shoot "$pref" preferences
kill "$LAST_PID"; wait "$LAST_PID" 2>/dev/null || true

settings false true
start_fennic "$WORK/samples/beach-rio.jpg"
id=$(wait_for_window beach-rio.jpg)
sleep 2
shoot "$id" frameless
