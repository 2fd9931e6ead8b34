#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite
# headless (Qt's offscreen platform; the end-to-end tests start their own Xvfb).
# Its builds treat warnings as errors. With --sanitize the suite is built with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/ and run
# there. With --tsan the tests that run threads of their own (the BMP writer's
# helper, the recovery keeper's worker) are built with ThreadSanitizer into
# build-tsan/ and run there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  # GCC misreads the instrumented code as reading uninitialized captures; the
  # plain build keeps the warning.
  flags+=" -Wno-maybe-uninitialized"
  cmake -S . -B $dir -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BENCH=OFF -DTOLVANE_WERROR=ON \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
  cmake --build $dir -j"$(nproc)"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir $dir --output-on-failure -j"$(nproc)" --timeout 900
elif [ "${1:-}" = "--tsan" ]; then
  dir=build-tsan
  cmake -S . -B $dir -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BENCH=OFF -DTOLVANE_WERROR=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
  cmake --build $dir -j"$(nproc)" --target bmp_tests recovery_tests png_tests
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
  # The PNG writer deflates a large truecolour picture on two threads.
  # The forking kill test is left out: it has nothing to race, and forking a
  # process with threads is slow under the sanitizer.
  # Where the kernel randomises addresses widely, mappings land where the
  # sanitizer's shadow memory must go; setarch -R runs without it.
  setarch "$(uname -m)" -R ctest --test-dir $dir -R 'BmpWrite|Recovery_|PngWrite' -E KilledSave \
    --no-tests=error --output-on-failure -j"$(nproc)" --timeout 900
else
  [ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake build -DTOLVANE_WERROR=ON >/dev/null
  scripts/build.sh
  # Twice as many at once as there are cores: the end-to-end scripts spend
  # most of their time waiting for the program.
  ctest --test-dir build --output-on-failure -j"$(($(nproc) * 2))" --timeout 600
fi
