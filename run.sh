#!/usr/bin/env bash
# The main job: prints the EXIF/IPTC information of an image (a bundled
# sample when no file is given), as the plug-in's dialog shows and exports it.
# Usage: ./run.sh [exifinfo options] [FILE...]
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/build-native.sh" "$root/build/native" >/dev/null
has_file=0
for a in "$@"; do case "$a" in -*) ;; *) has_file=1 ;; esac; done
if [ $has_file -eq 0 ]; then
    set -- "$@" "$root/tests/data/samples/Canon_40D.jpg"
fi
exec "$root/build/native/exifinfo" "$@"
