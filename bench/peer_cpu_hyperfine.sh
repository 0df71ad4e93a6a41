#!/usr/bin/env bash
# Stands first on PATH while bench/bench_table.py runs ../shared/bench/peers.sh: runs the real
# hyperfine unchanged and keeps a copy of the JSON it exports, whose user and system times give
# the peer's CPU time (the printed median is wall-clock time, which a loaded machine stretches).
/usr/bin/hyperfine "$@"
rc=$?
previous=
for argument in "$@"; do
  if [ "$previous" = --export-json ] && [ -f "$argument" ]; then cp "$argument" "$PEER_JSON_DIR/"; fi
  previous=$argument
done
exit $rc
