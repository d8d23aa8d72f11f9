#!/usr/bin/env bash
# Installs everything Halcyra needs on Debian 12 and skips what is already there.
# Safe to run any number of times.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

packages=(
  build-essential cmake pkg-config ninja-build
  juce-modules-source-data          # Steinberg VST3 SDK subset
  libmysofa-dev libmysofa1 zlib1g-dev # KEMAR HRIR reader and data
  libspeexdsp-dev                   # HRIR rate conversion
  libfftw3-dev                      # pitch shifter FFT
  libsndfile1-dev                   # audio files in the tools
  dpf-source                        # NanoVG sources
  libstb-dev                        # PNG writing
  libx11-dev libgl-dev libglx-dev libgl1-mesa-dri libosmesa6-dev
  xvfb xauth
  xdg-utils                         # opening the manual and the web site
  fonts-roboto-unhinted
  fonts-dejavu-core fonts-droid-fallback # glyph fallbacks for names in any script
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev                # reading moduleinfo.json in the tests
  groff ghostscript                 # user manual PDF
  locales                           # a comma-decimal locale for the parameter text tests
  lv2-dev liblilv-dev               # LV2 binding and its tests (loaded through lilv)
  lilv-utils sordi jalv             # LV2 checks: lv2info, lv2apply, lv2_validate, jalv
)
# npm may come from outside Debian (a newer Node.js); only fall back to Debian's when absent.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Parameter texts must not follow the process locale; the tests switch to a German one.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

# The "Unbounded" display font comes from npm; it is installed into the project's own folder.
font="$here/third_party/npm/node_modules/@expo-google-fonts/unbounded/400Regular/Unbounded_400Regular.ttf"
if [ ! -f "$font" ]; then
  found=$(find "$here/third_party/npm/node_modules/@expo-google-fonts/unbounded" -name 'Unbounded_400Regular.ttf' 2>/dev/null | head -n1 || true)
  if [ -z "$found" ]; then
    echo "setup: installing @expo-google-fonts/unbounded from npm"
    mkdir -p "$here/third_party/npm"
    (cd "$here/third_party/npm" && npm install --no-audit --no-fund --silent --prefix . @expo-google-fonts/unbounded >/dev/null)
  fi
fi
