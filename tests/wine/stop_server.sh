#!/bin/sh
# Ends the wine server that prepare_prefix.sh left running for the tests.
export WINEPREFIX=$2
"$(dirname "$1")/wineserver" -k || true
