#!/usr/bin/env bash
# Runs the tests under clang's sanitizers: the unit and OpenGL tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), and the tests
# of the threads (data manager and water flow, terrain update thread, buffer
# name pool, console log) with ThreadSanitizer (build-tsan/). Run it before
# submitting a change to threads or file readers; both halves must end clean.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"

# configure <build dir> <flags> [targets...]: all targets when none are named.
configure() {
  cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$2" -DCMAKE_EXE_LINKER_FLAGS="$2" >/dev/null
  cmake --build "$1" -j "$(nproc)" ${3:+--target "${@:3}"}
}

export ALSOFT_DRIVERS=null
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
configure "$root/build-asan" "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
(cd "$root/build-asan" && ctest --output-on-failure -j "$(nproc)" -L 'unit|gl|fuzz')

export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
configure "$root/build-tsan" "-fsanitize=thread -fno-omit-frame-pointer" \
  world_tests terrain_tests interface_tests graphics_gl_tests
(cd "$root/build-tsan" && ctest --output-on-failure -j "$(nproc)" -L unit \
  -R 'Thread|Concurren|Water|DataManager|Terrain\.|TerrainTest|Logging')
# The buffer pool's tests need a context, so they live in a GL test program
# whose other tests use no threads.
(cd "$root" && tests/support/with-xvfb.sh build-tsan/tests/graphics_gl_tests --gtest_filter='BufferPoolTest.*')
