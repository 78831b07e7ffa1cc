#!/usr/bin/env bash
# The platform layers sit below the game: no file under platform/ may include
# a header from one of the game's folders.
set -euo pipefail
root=$1
found=$(grep -rnE '#include "(shell|engine|media|gui|world|race|figures|effects|menus|tools)/' \
          "$root/platform" || true)
if [ -n "$found" ]; then
  echo "platform/ includes game headers:"
  echo "$found"
  exit 1
fi
echo "1 passed, 0 failed"
