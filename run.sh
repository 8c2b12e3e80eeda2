#!/usr/bin/env bash
# Sets up, builds and starts the drawing program: ./run.sh [file.sch]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" build
if [ ! -x "$here/build/bin/Ostrin" ]; then
  echo "Ostrin has no window yet; the build finished."
  exit 0
fi
args=()
if [ $# -gt 0 ]; then args+=("$(realpath -m -- "$1")"); fi
exec "$here/build/bin/Ostrin" "${args[@]}"
