#!/usr/bin/env bash
# The viewer's answers without a window: --version names the configured
# version, and a start without a display fails with status 3 and its reason
# (not 1, the status of a window that was closed, which scripts/viewer
# reports as success).
set -euo pipefail
viewer=$1
version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$("$viewer" --version)" = "package-viewer $version" ] || fail "--version printed: $("$viewer" --version)"

# --palette takes a palette's name, wherever it stands.
[ "$("$viewer" --palette safe --version)" = "package-viewer $version" ] || fail "--palette safe --version"
status=0
err=$("$viewer" --palette pink 2>&1 >/dev/null) || status=$?
[ "$status" -eq 2 ] && [[ $err == *"--palette takes 'safe' or 'standard'"* ]] || fail "--palette pink: $status $err"

# No display at all, and SDL's dummy driver that draws nowhere.
for driver in x11 dummy; do
  status=0
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=$driver timeout 20 "$viewer" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 3 ] || fail "without a display ($driver) the viewer exited $status: $err"
  [[ $err == package-viewer:* ]] || fail "without a display ($driver) the viewer said: $err"
done
echo "viewer start: all checks passed"
