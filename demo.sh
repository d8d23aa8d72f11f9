#!/usr/bin/env bash
# Sets up the machine, builds Halcyra.vst3 and renders a demo through the real module.
#   ./demo.sh                 built-in demo signal -> out/demo.wav
#   ./demo.sh my-song.wav     your own audio       -> out/my-song-halcyra.wav
# Extra arguments after the input are passed to halcyra-render (e.g. --set Size=0.8).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./setup.sh

jobs=${HALCYRA_JOBS:-2}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"

mkdir -p out
input=${1:-demo}
[ $# -gt 0 ] && shift
if [ "$input" = demo ]; then
  output=out/demo.wav
else
  stem=$(basename "${input%.*}")
  output="out/${stem}-halcyra.wav"
fi
extra=()
[ -f build/halcyra-render ] || { echo "demo.sh: build/halcyra-render was not built" >&2; exit 1; }
if build/halcyra-render --help 2>&1 | grep -q -- '--editor-png'; then
  # Livelier stars for the picture; settings given on the command line come later and win.
  extra+=(--editor-png out/editor.png --set Level=0.8 --set Rate=0.7)
fi
build/halcyra-render "${extra[@]}" "$@" "$input" "$output"
