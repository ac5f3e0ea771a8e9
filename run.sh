#!/usr/bin/env bash
# The main job: prints the EXIF/IPTC information of images (a bundled sample
# when no file is given), as the plug-in's dialog shows and exports it.
# Usage: ./run.sh [exifinfo options] [FILE...]
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
echo "building exifinfo…" >&2
"$root/scripts/build-native.sh" "$root/build/native" --target exifinfo >/dev/null

# Is any FILE given? Skips the values of the options that take one, whether
# as the next argument (--tag Model, -t Model, -rt Model) or joined
# (--tag=Model, -tModel); everything after "--" is a FILE.
takes_value() { case "$1" in --tag|--size|--export|--decimal) return 0 ;; *) return 1 ;; esac; }
has_file=0
skip_next=0
options_done=0
for a in "$@"; do
    if [ $skip_next -eq 1 ]; then skip_next=0; continue; fi
    if [ $options_done -eq 1 ]; then has_file=1; continue; fi
    case "$a" in
        --) options_done=1 ;;
        --*=*) ;;
        --*) takes_value "$a" && skip_next=1 ;;
        -?*)
            cluster=${a#-}
            while [ -n "$cluster" ]; do
                c=${cluster:0:1}; cluster=${cluster:1}
                case "$c" in t|s|e|d) [ -z "$cluster" ] && skip_next=1; break ;; esac
            done ;;
        *) has_file=1 ;;
    esac
done
if [ $has_file -eq 0 ]; then
    [ $options_done -eq 1 ] || set -- "$@" --
    set -- "$@" "$root/tests/data/samples/Nikon_D70.jpg"
fi
exec "$root/build/native/exifinfo" "$@"
