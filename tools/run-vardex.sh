#!/usr/bin/env bash
# make run: vardex against the given device, or against zorvel-sim on 127.0.0.1.
set -euo pipefail
build=$1; shift
vardex=$build/console/vardex
if [ $# -gt 0 ]; then
  exec "$vardex" "$@"
fi
sim=$build/tools/zorvel-sim
if [ ! -x "$sim" ]; then
  echo "(no device given and no simulator built: showing the usage text)" >&2
  exec "$vardex"
fi
portfile=$(mktemp)
"$sim" --port 0 --port-file "$portfile" &
simpid=$!
trap 'kill $simpid 2>/dev/null; rm -f "$portfile"' EXIT
for _ in $(seq 50); do [ -s "$portfile" ] && break; sleep 0.1; done
port=$(cat "$portfile")
"$vardex" 127.0.0.1 "$port" '*password#POR1'
