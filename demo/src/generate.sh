#!/usr/bin/env bash
# Makes the demo course's generated files again from their sources in demo/src:
# the pictures, the web archives (zas.mht, help.mht, lessons/*.mht), the Windows-1251 lesson
# page, the topic outline log.log, the melody, the narration and the video.
# The outputs are committed; nothing of this runs when the program is built, tested or started.
#
# Usage: demo/src/generate.sh [build-dir]   (default: build; lektorika-demogen must be built)
# Needs: iconv, espeak-ng (narration) and gst-launch-1.0 with the good plugins (narration, video).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
course=$(dirname "$here")
build=$(cd "${1:-$course/../build}" && pwd)
gen=$build/demo/src/lektorika-demogen
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen

"$gen" pictures "$course"
"$gen" page-images "$tmp/img"

# Word processors save single-file pages in the Windows code page; the numbers lesson is
# saved in UTF-8 to show that both kinds work.
pack() { # page name, output, charset
    if [ "$3" = windows-1251 ]; then
        iconv -f UTF-8 -t WINDOWS-1251 "$here/pages/$1.html" >"$tmp/$1.html"
    else
        sed 's/charset=windows-1251/charset=utf-8/' "$here/pages/$1.html" >"$tmp/$1.html"
    fi
    "$gen" mht "$2" "$tmp/$1.html" "$3" "$1" "$tmp/img/$1/image001.png"
}
mkdir -p "$course/lessons"
pack zas "$course/zas.mht" windows-1251
pack help "$course/help.mht" windows-1251
pack intro "$course/lessons/intro.mht" windows-1251
pack computer "$course/lessons/computer.mht" windows-1251
pack numbers "$course/lessons/numbers.mht" utf-8

iconv -f UTF-8 -t WINDOWS-1251 "$here/pages/units.html" >"$course/lessons/units.htm"
# The topic outline: Windows-1251, TAB for each level, CR LF.
sed 's/$/\r/' "$here/outline.txt" | iconv -f UTF-8 -t WINDOWS-1251 >"$course/log.log"

mkdir -p "$course/sounds" "$course/video"
"$gen" midi "$course/sounds/melody.mid"

espeak-ng -v ru -s 175 -w "$tmp/narration.wav" -f "$here/narration.txt"
gst-launch-1.0 -q filesrc location="$tmp/narration.wav" ! wavparse ! audioconvert ! audioresample \
    ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! wavenc ! filesink location="$course/sounds/intro.wav"

"$gen" frames "$tmp/frames"
gst-launch-1.0 -q multifilesrc location="$tmp/frames/frame-%03d.png" index=0 stop-index=39 \
    caps="image/png,framerate=10/1" ! pngdec ! videoconvert ! video/x-raw,format=I420 \
    ! jpegenc quality=80 ! avimux ! filesink location="$course/video/computer.avi"

ls -l "$course/sounds" "$course/video" "$course/pictures"
