#!/usr/bin/env bash
# Checks Halcyra.lv2 with real LV2 hosts; too slow and too dependent on outside
# programs for ./test.sh. Needs a finished build (build/ unless BUILD_DIR says
# otherwise) and installs the hosts it uses when they are missing:
#   - lv2_validate (sordi) and lv2info: the Turtle files and every port;
#   - Ardour 7 (ardour7-lua, "None (Dummy)" backend): mono and stereo tracks,
#     parameters, export, save and reopen, the eight factory presets;
#   - jalv.gtk3 under Xvfb with JACK's dummy driver: the editor opens and the window
#     holding it is as large as the editor; a picture of the screen lands in
#     $OUT_DIR/jalv-editor.png (look at it).
# Prints one line per check and exits non-zero when any check fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="${OUT_DIR:-$build/lv2-host-check}"
bundle="$build/Halcyra.lv2"
stereo="https://tavimoro.com/halcyra/lv2/stereo"
mono="https://tavimoro.com/halcyra/lv2/mono"

failures=0
report() { if [ "$1" -eq 0 ]; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi; }

[ -f "$bundle/manifest.ttl" ] || { echo "host-check: no $bundle; build first" >&2; exit 2; }
need=()
for p in sordi lilv-utils jalv jackd2 ardour xvfb xauth x11-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ "${#need[@]}" -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

rm -rf "$out" && mkdir -p "$out/lv2"
ln -s "$bundle" "$out/lv2/Halcyra.lv2"  # a folder holding only our bundle
export LV2_PATH="$out/lv2"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; }
trap cleanup EXIT

# --- Turtle and ports ---------------------------------------------------------------
lv2_validate "$bundle"/*.ttl >"$out/validate.txt" 2>&1
grep -q "Found 0 errors" "$out/validate.txt" && ! grep -qi "warn" "$out/validate.txt"
report $? "lv2_validate: no errors or warnings ($out/validate.txt)"
# Twenty parameters, enabled, latency, host events, two outputs, then the inputs.
for variant in "$stereo 27" "$mono 26"; do
  read -r uri ports <<<"$variant"
  lv2info "$uri" >"$out/lv2info-${uri##*/}.txt" 2>&1
  [ "$(grep -c '^	Port [0-9]*:' "$out/lv2info-${uri##*/}.txt")" -eq "$ports" ] && ! grep -qi "warn\|error" "$out/lv2info-${uri##*/}.txt"
  report $? "lv2info lists ${uri##*/} with its $ports ports, no warnings"
done

# --- Ardour 7, headless -----------------------------------------------------------
HALCYRA_SESSION_DIR="$out/ardour-session" timeout 600 ardour7-lua "$here/ardour-check.lua" >"$out/ardour.txt" 2>&1
grep -E "^(ok|FAIL) " "$out/ardour.txt"
grep -q "ardour check: all passed" "$out/ardour.txt"
report $? "Ardour 7 session check ($out/ardour.txt)"

# --- jalv with the editor under Xvfb ------------------------------------------------
exec 8< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo "pid $!"; wait)
read -r _ xvfb <&8 && pids+=("$xvfb")
read -r display <&8
export DISPLAY=":$display"
jack="halcyra-check-$$"
jackd -n "$jack" -d dummy -r 48000 -p 256 >"$out/jackd.txt" 2>&1 &
pids+=("$!")
sleep 2
JACK_DEFAULT_SERVER="$jack" jalv.gtk3 -r 60 "$stereo" >"$out/jalv.txt" 2>&1 &
jalv=$!
pids+=("$jalv")
sleep 10
kill -0 "$jalv" 2>/dev/null && grep -q "UI:.*halcyra/lv2/ui" "$out/jalv.txt"
report $? "jalv.gtk3 runs the plug-in with its own editor ($out/jalv.txt)"
xwininfo -root -tree >"$out/windows.txt" 2>&1
read -r editor holder < <(awk -f "$here/editor-layout.awk" "$out/windows.txt")
IFS=x read -r ew eh <<<"${editor:-0x0}"
IFS=x read -r hw hh <<<"${holder:-0x0}"
[ "$ew" -gt 0 ] && [ "$hw" -ge "$ew" ] && [ "$hh" -ge "$eh" ]
report $? "the editor (${editor:-none}) is not clipped by jalv's window holding it (${holder:-none})"
"$build/halcyra-x11-snapshot" "$out/jalv-editor.png"
report $? "picture of the screen: $out/jalv-editor.png"

echo "host-check: $failures failed"
[ "$failures" -eq 0 ]
