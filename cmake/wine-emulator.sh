#!/usr/bin/env bash
# Runs a win32 program under Wine with the build's own prefix, quietly.
# LUMARO_WINEPREFIX is set by build.sh; the fallback keeps a bare ctest working.
export WINEPREFIX="${LUMARO_WINEPREFIX:-$HOME/.lumaro-wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY="${DISPLAY:-:97}"
exec wine "$@"
