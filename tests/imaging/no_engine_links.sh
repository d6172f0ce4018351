#!/usr/bin/env bash
# No program or library of the system may link an engine library: the engine is reached
# only through the entry-point table filled at run time. (The engine's own tests and
# benchmarks link it on purpose and are not checked.)
set -u
bin="$1"
bad=0
for f in "$bin"/Tesmarin "$bin"/tesmarin-list "$bin"/libplatform.so; do
  if [ ! -f "$f" ]; then
    echo "missing: $f"
    bad=1
  elif readelf -d "$f" | grep NEEDED | grep -q 'Zq7'; then
    echo "links an engine library: $f"
    bad=1
  fi
done
[ "$bad" = 0 ] && echo "no program or library links an engine library"
exit $bad
