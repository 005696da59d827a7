#!/usr/bin/env bash
# Installs what is missing, builds the native, the sanitized and the Windows program, and
# runs every test: the native suites (with the leak check under valgrind), the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer with a minute of randomised runs,
# then the suites against the Windows build under wine. Works on a fresh Debian machine
# as root.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v make >/dev/null || missing+=(make)
command -v g++ >/dev/null || missing+=(g++)
command -v python3 >/dev/null || missing+=(python3)
command -v valgrind >/dev/null || missing+=(valgrind)
command -v ffmpeg >/dev/null || missing+=(ffmpeg)  # reads the README's pipelines
command -v x264 >/dev/null || missing+=(x264)
command -v clang++ >/dev/null || missing+=(clang)
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a" >/dev/null ||
  missing+=(libclang-rt-dev)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/src/googletest/googletest/CMakeLists.txt ] || missing+=(googletest)  # built for Windows
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
cmake --preset linux -DQEL_BUILD_TESTS=ON
cmake --build --preset linux -j"$jobs"
ctest --preset linux -j"$jobs"

cmake --preset sanitize -DQEL_BUILD_TESTS=ON
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs" -E '^randomised_runs$'
ctest --preset sanitize -R '^randomised_runs$' --verbose

cmake --preset windows -DQEL_BUILD_TESTS=ON
cmake --build --preset windows -j"$jobs"
ctest --preset windows -j"$jobs"
