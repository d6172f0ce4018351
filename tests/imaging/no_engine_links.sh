#!/usr/bin/env bash
# No program or library of the system may link an engine library: the engine is reached
# only through the entry-point table filled at run time.
set -u
bin="$1"
bad=0
for f in "$bin"/* "$bin"/noengine/*; do
  [ -f "$f" ] || continue
  case "$(basename "$f")" in Zq7*.so) continue ;; esac
  head -c 4 "$f" | grep -q $'\x7fELF' || continue
  if readelf -d "$f" 2>/dev/null | grep NEEDED | grep -q 'Zq7'; then
    echo "links an engine library: $f"
    bad=1
  fi
done
[ "$bad" = 0 ] && echo "no program or library links an engine library"
exit $bad
