#!/usr/bin/env bash
# Builds the AviSynth+ engine (core only) from its release tarball, for each platform
# named (linux, windows), into a cache outside the checkout keyed by the tarball's
# checksum, and prints each install's folder on standard output, one line per platform.
# A platform already in the cache is reused. Progress lines go to standard error; the
# compiler's output goes to a log beside the install.
#
#   QEL_AVS_TARBALL     the tarball (default ../shared/avisynthplus/AviSynthPlus-3.7.5.tar.xz)
#   QEL_ENGINE_CACHE    the cache (default ${XDG_CACHE_HOME:-~/.cache}/qel_avs_runner)
#
# The Windows build uses the project's mingw-w64 toolchain (posix threads: the engine
# uses std::thread) and puts the toolchain's three runtime DLLs beside AviSynth.dll.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tarball=${QEL_AVS_TARBALL:-$top/../shared/avisynthplus/AviSynthPlus-3.7.5.tar.xz}
cache=${QEL_ENGINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qel_avs_runner}

say() { echo "engine: $*" >&2; }

[ -f "$tarball" ] || { say "no tarball at $tarball"; exit 3; }
tarball=$(realpath "$tarball")
[ $# -gt 0 ] || set -- linux windows
sum=$(sha256sum "$tarball" | cut -c1-16)
root="$cache/avisynthplus-$sum"
mkdir -p "$root"

build_one() {
    local platform=$1 prefix="$root/$1"
    local work="$root/$1.work" log="$root/$1.log"
    local toolchain=()
    [ "$platform" = windows ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake")
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    local started=$SECONDS
    say "building AviSynth+ for $platform from $(basename "$tarball") (log: $log)"
    {
        tar -xJf "$tarball" -C "$work"
        local source
        source=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
        cmake -S "$source" -B "$work/build" -G Ninja -DENABLE_PLUGINS=OFF \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "${toolchain[@]}"
        ninja -C "$work/build" -j"$(nproc)" install
    } >"$log" 2>&1 || { say "the $platform build failed; the end of its log:"; tail -n 30 "$log" >&2; exit 1; }
    if [ "$platform" = windows ]; then
        local dll
        for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
            cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/"
        done
    fi
    rm -rf "$work"
    touch "$prefix/.complete"
    say "$platform built in $((SECONDS - started)) s: $prefix"
}

for platform in "$@"; do
    case $platform in linux|windows) ;; *) say "unknown platform $platform"; exit 2 ;; esac
    if [ -f "$root/$platform/.complete" ]; then
        say "$platform from the cache: $root/$platform"
    else
        build_one "$platform"
    fi
    echo "$root/$platform"
done
