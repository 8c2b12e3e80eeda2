#!/usr/bin/env bash
# Sets up, builds and starts the drawing program: ./run.sh [file.sch]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" build
if [ ! -x "$here/build/bin/Ostrin" ]; then
  echo "Ostrin has no window yet; the build finished."
  exit 0
fi
# The argument goes as typed: the program makes it absolute against this folder itself.
exec "$here/build/bin/Ostrin" "$@"
