#!/usr/bin/env bash
# Installs what is missing, builds the native, the sanitized and the Windows program, and
# runs every test: the native suites (with the leak check under valgrind), the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer with a minute of randomised runs,
# then the suites against the Windows build under wine. After the stand-in suites of the
# native and the Windows build comes each one's real-engine suite, on AviSynth+ built from
# its release tarball (QEL_AVS_TARBALL) into a cache outside the checkout; without the
# tarball that suite is skipped. Works on a fresh Debian machine as root.
set -euo pipefail
cd "$(dirname "$0")/.."
tarball=${QEL_AVS_TARBALL:-../shared/avisynthplus/AviSynthPlus-3.7.5.tar.xz}

./scripts/install_missing.sh cmake:cmake make:make g++:g++ python3:python3 valgrind:valgrind \
    ninja-build:ninja xz-utils:xz `# build the engine` \
    ffmpeg:ffmpeg x264:x264 `# read the README's pipelines` \
    clang:clang++ libclang-rt-dev:"/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a" \
    libgtest-dev:/usr/include/gtest/gtest.h \
    googletest:/usr/src/googletest/googletest/CMakeLists.txt `# built for Windows` \
    g++-mingw-w64-x86-64-posix:x86_64-w64-mingw32-g++-posix wine64:/usr/lib/wine/wine64

jobs=$(nproc)
linux_engine="" windows_engine=""
if [ -f "$tarball" ]; then
    engines=$(QEL_AVS_TARBALL="$tarball" ./scripts/build_engine.sh linux windows)
    linux_engine=$(sed -n 1p <<<"$engines")
    windows_engine=$(sed -n 2p <<<"$engines")
else
    echo "real engine: no AviSynth+ tarball at $tarball; the real-engine suites are skipped"
fi

# The stand-in suites, then the real engine's, whose last line names the engine, the
# platform and the count of its cases.
run_tests() {
    local preset=$1 engine=$2
    ctest --preset "$preset" -j"$jobs" -E '^(real_engine|randomised_runs)$'
    [ -z "$engine" ] || ctest --preset "$preset" -R '^real_engine$' --verbose
}

cmake --preset linux -DQEL_BUILD_TESTS=ON -DQEL_AVS_ENGINE="$linux_engine"
cmake --build --preset linux -j"$jobs"
run_tests linux "$linux_engine"

cmake --preset sanitize -DQEL_BUILD_TESTS=ON
cmake --build --preset sanitize -j"$jobs"
run_tests sanitize ""
ctest --preset sanitize -R '^randomised_runs$' --verbose

cmake --preset windows -DQEL_BUILD_TESTS=ON -DQEL_AVS_ENGINE="$windows_engine"
cmake --build --preset windows -j"$jobs"
run_tests windows "$windows_engine"
