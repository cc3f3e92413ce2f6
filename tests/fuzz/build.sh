#!/usr/bin/env bash
# Builds every tests/fuzz/fuzz_*.cpp as a libFuzzer target with clang, ASan and UBSan.
# Not part of CI. Each target names the shared sources it needs on a line
#     // fuzz-sources: profiledocument.cpp textcodec.cpp
# (paths relative to shared/) and, when it needs more libraries, their pkg-config names on
#     // fuzz-packages: libxml-2.0
# Needs clang and libclang-rt-14-dev.
#
#   tests/fuzz/build.sh [output folder]          default: build-fuzz/
#   build-fuzz/fuzz_profile -max_total_time=120 tests/fuzz/corpus/profile
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${1:-$root/build-fuzz}"
mkdir -p "$out"
cxx="${CXX_FUZZ:-clang++}"
qt_flags="$(pkg-config --cflags --libs Qt6Core)"
for target in "$root"/tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$target" .cpp)"
    sources=()
    for s in $(sed -n 's|^// fuzz-sources:||p' "$target"); do
        sources+=("$root/shared/$s")
    done
    packages="$(sed -n 's|^// fuzz-packages:||p' "$target")"
    package_flags=""
    if [ -n "${packages// /}" ]; then
        package_flags="$(pkg-config --cflags --libs $packages)"
    fi
    echo "building $name"
    # Qt's headers need -fPIC with its reduced relocations.
    "$cxx" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$root/shared" "$target" "${sources[@]}" $qt_flags $package_flags -o "$out/$name"
done
echo "targets in $out"
