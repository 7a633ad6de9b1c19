#!/usr/bin/env bash
# Runs a Windows program under Wine with the program's own exit code: no debug
# output, no mono or gecko install prompts; the prefix is $WINEPREFIX or Wine's
# default.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
