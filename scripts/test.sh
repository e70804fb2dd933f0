#!/usr/bin/env bash
# Builds everything and runs every test: first the logic tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the whole suite (windows included) in the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)

# A throwaway PostgreSQL server for the store's server tests (they skip without LK_TEST_PG);
# both test runs below use it, and it is stopped and removed on exit.
pgdir=$(mktemp -d /tmp/lk-pg.XXXXXX)
trap "bash '$PWD/scripts/pg-cluster.sh' stop '$pgdir'" EXIT
LK_TEST_PG=$(bash scripts/pg-cluster.sh start "$pgdir")
export LK_TEST_PG

# Rebuilds after the first are quick when ccache is there.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths relative to the checkout, so another clone of the same sources hits the same cache.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLK_SANITIZE=ON -DLK_WITH_GUI=OFF "${launcher[@]}" >/dev/null
cmake --build build-asan --target lk_logic_tests -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest -L logic --output-on-failure -j "$jobs")

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
