#!/usr/bin/env bash
# Builds the program and starts it on the demo course. The demo course is copied to a working
# folder outside the repository (LK_COURSE_DIR, default ~/lektorika-demo) the first time, so the
# repository stays clean; later runs keep what the course folder holds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths relative to the checkout, so another clone of the same sources hits the same cache.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$(nproc)" --target lektorika lektorika-course lektorika-demo-calc

course=${LK_COURSE_DIR:-$HOME/lektorika-demo}
if [ ! -e "$course/db1.sqlite" ]; then
    mkdir -p "$course"
    cp -r demo/. "$course/"
    rm -rf "$course/src" # the generators of the demo's files, not part of the course
    ./build/src/store/lektorika-course seed "$course/db1.sqlite" "$course/seed.sql"
    # The course's companion program, built above, takes the place of its stand-in script.
    cp build/demo/src/lektorika-demo-calc "$course/programs/calc"
fi

export QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-1}
cd "$course"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting under Xvfb (screen :99)." >&2
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$OLDPWD/build/src/app/lektorika"
fi
exec "$OLDPWD/build/src/app/lektorika"
