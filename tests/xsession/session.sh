#!/usr/bin/env bash
# Runs a command inside a private X session: an Xvfb screen of 1600x1000 with openbox as the
# window manager, and a private HOME and XDG tree, all removed again at the end.
#   tests/xsession/session.sh COMMAND [ARGS...]
# Ends with the command's status; 77 (a skip for CTest) when Xvfb or openbox is missing.
set -u
for t in Xvfb openbox; do
  command -v "$t" >/dev/null || { echo "session: $t is missing (scripts/setup.sh installs it)"; exit 77; }
done
[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

XS=$(mktemp -d "${TMPDIR:-/tmp}/ostrin-xs.XXXXXX")
XPID="" WMPID=""
finish() {
  [ -n "$WMPID" ] && kill "$WMPID" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  [ -n "$WMPID" ] && wait "$WMPID" 2>/dev/null
  [ -n "$XPID" ] && wait "$XPID" 2>/dev/null
  rm -rf "$XS"
}
trap finish EXIT
trap 'exit 130' INT TERM

export HOME=$XS/home XDG_CONFIG_HOME=$XS/home/.config XDG_DATA_HOME=$XS/home/.local/share
export XDG_CACHE_HOME=$XS/home/.cache XDG_RUNTIME_DIR=$XS/run TMPDIR=$XS/tmp
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The server picks a free display number itself and writes it to fd 3: no race with other
# sessions started at the same moment.
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$XS/display" >"$XS/xvfb.log" 2>&1 &
XPID=$!
for _ in $(seq 1 100); do [ -s "$XS/display" ] && break; sleep 0.05; done
[ -s "$XS/display" ] || { echo "session: Xvfb did not start"; cat "$XS/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$XS/display" | tr -d '[:space:]')"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER

# The command starts once openbox has taken over the screen: a window mapped before that may
# never be framed.
openbox --sm-disable --startup "touch $XS/wm-ready" >"$XS/openbox.log" 2>&1 &
WMPID=$!
for _ in $(seq 1 200); do [ -e "$XS/wm-ready" ] && break; sleep 0.05; done
[ -e "$XS/wm-ready" ] || { echo "session: openbox did not start"; cat "$XS/openbox.log"; exit 1; }

"$@"
status=$?
[ $status -eq 0 ] || { echo "--- openbox log"; cat "$XS/openbox.log"; }
exit $status
