#!/bin/sh
# Creates the tests' wine prefix on first use and starts a wine server, with its
# services, that stays up until stop_server.sh, so that no test's start races a server
# shutting down. What stays up gets no stream of this script's, or the test runner
# would wait for it.
set -eu
wine=$1
export WINEPREFIX=$2 WINEDEBUG=-all
server=$(dirname "$wine")/wineserver
mkdir -p "$WINEPREFIX"
"$server" -k 2>/dev/null || true
"$server" -p </dev/null >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
fi
# A program that runs is the proof of a working prefix; the registry files reach the
# disk only when the server saves them.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
