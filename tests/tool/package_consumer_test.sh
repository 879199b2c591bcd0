#!/usr/bin/env bash
# Usage: package_consumer_test.sh BUILD_DIR CMAKE CXX [EXTRA_FLAGS [TOOLCHAIN RUNNER [qt]]]:
# builds tests/tool/consumer against the installed project with find_package(tamrel) and with
# pkg-config: a host, and a host's test on the testing component. For a cross build, TOOLCHAIN
# is its CMake toolchain file and RUNNER the program that runs what it builds (Wine); both are
# empty for a native build. With "qt", also the consumer of the qt component
# (find_package(tamrel COMPONENTS qt), pkg-config tamrel-qt), run on Qt's offscreen platform.
#
# Then the library is built again as a shared library (tamrel.dll with its
# import library on Windows), installed, and the consumer built against it
# and run: every name it uses must be marked for export, and an error the
# library raises must reach the program's catch. TAMREL_SOURCE_DIR is the
# project's source folder.
set -euo pipefail

build=$1
cmake=$2
cxx=$3
flags=${4:-}
toolchain=${5:-}
runner=${6:-}
with_qt=false
[[ "${7:-}" == "qt" ]] && with_qt=true
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

# Runs a built program, through RUNNER when there is one; paths it is given
# are the runner's (winepath turns a Unix path into a Windows one).
run() {
  if [[ -n $runner ]]; then "$runner" "$@"; else "$@"; fi
}
native_path() {
  if [[ -n $runner ]]; then winepath -w "$1"; else printf '%s\n' "$1"; fi
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

run "$(ls "$prefix"/bin/tamrel*)" --help >/dev/null
libdir=$(cd "$prefix" && ls -d lib*/pkgconfig | head -n 1 | xargs dirname)

export XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config

if ! { "$cmake" -S "$here/consumer" -B "$work/cmake-build" \
          -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
          ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} \
          -DTAMREL_CONSUMER_QT="$with_qt" \
          -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" &&
        "$cmake" --build "$work/cmake-build"; } >"$work/cmake-build.log" 2>&1; then
  cat "$work/cmake-build.log" >&2
  exit 1
fi
run "$(ls "$work"/cmake-build/consumer*)" "$(native_path "$work/cmake.tmc")"
run "$(ls "$work"/cmake-build/testing_consumer*)"

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# shellcheck disable=SC2046  # the flags are meant to split into words
"$cxx" $flags $(pkg-config --cflags tamrel) "$here/consumer/consumer.cpp" -o "$work/pc-consumer" \
  $(pkg-config --libs --static tamrel)
run "$(ls "$work"/pc-consumer*)" "$(native_path "$work/pkg-config.tmc")"
# shellcheck disable=SC2046  # the flags are meant to split into words
"$cxx" $flags $(pkg-config --cflags tamrel-testing) "$here/consumer/testing_consumer.cpp" \
  -o "$work/pc-testing-consumer" $(pkg-config --libs --static tamrel-testing)
run "$(ls "$work"/pc-testing-consumer*)"

if $with_qt; then
  export QT_QPA_PLATFORM=offscreen
  "$work/cmake-build/qt_consumer"
  # shellcheck disable=SC2046  # the flags are meant to split into words
  "$cxx" $flags $(pkg-config --cflags tamrel-qt) "$here/consumer/qt_consumer.cpp" \
    -o "$work/pc-qt-consumer" $(pkg-config --libs --static tamrel-qt)
  "$work/pc-qt-consumer"
fi

# Makes $1 hold the library's sources as they are now (CMakeLists.txt, cmake/,
# include/ and src/), rewriting only the files whose text differs: a build of
# the copy then rebuilds exactly what changed, also when a file was put back
# as it was with its old date.
mirror_sources() {
  local into=$1 file
  mkdir -p "$into"
  (cd "$TAMREL_SOURCE_DIR" && find CMakeLists.txt cmake include src -type f | sort) >"$work/sources"
  (cd "$into" && find . -type f -printf '%P\n' | sort) >"$work/mirrored"
  comm -13 "$work/sources" "$work/mirrored" | (cd "$into" && xargs -r rm -f --)
  while IFS= read -r file; do
    if ! cmp -s "$TAMREL_SOURCE_DIR/$file" "$into/$file"; then
      mkdir -p "$(dirname "$into/$file")"
      cp "$TAMREL_SOURCE_DIR/$file" "$into/$file"
    fi
  done <"$work/sources"
}

# The shared library: only the library itself is built and installed. Its
# build is kept in the build folder, so that running this test again rebuilds
# only what changed since.
kept=$build/package-consumer-shared
mirror_sources "$kept/source"
shared_prefix=$work/shared-prefix
if ! { "$cmake" -S "$kept/source" -B "$kept/build" -DBUILD_SHARED_LIBS=ON \
          -DCMAKE_CXX_COMPILER="$cxx" ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} \
          -DTAMREL_BUILD_TESTS=OFF -DTAMREL_BUILD_TOOLS=OFF -DTAMREL_BUILD_FUZZ=OFF \
          -DTAMREL_BUILD_QT=OFF -DTAMREL_WERROR=ON &&
        "$cmake" --build "$kept/build" --parallel "$(nproc 2>/dev/null || echo 2)" &&
        "$cmake" --install "$kept/build" --prefix "$shared_prefix" &&
        "$cmake" -S "$here/consumer" -B "$work/shared-consumer" \
          -DCMAKE_PREFIX_PATH="$shared_prefix" -DCMAKE_CXX_COMPILER="$cxx" \
          ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} \
          -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" &&
        "$cmake" --build "$work/shared-consumer"; } >"$work/shared-build.log" 2>&1; then
  cat "$work/shared-build.log" >&2
  exit 1
fi
if [[ -n $runner ]]; then
  # Windows finds a DLL beside the program; the import library is what the
  # consumer linked.
  ls "$shared_prefix"/lib/libtamrel.dll.a >/dev/null
  # The DLL carries the C++ run-time: it imports no DLL of the compiler's.
  imports=$("${cxx%%g++*}objdump" -p "$shared_prefix/bin/tamrel.dll" | grep "DLL Name")
  if grep -iE "libstdc|libgcc|winpthread" <<<"$imports"; then
    echo "tamrel.dll needs a run-time DLL of the compiler beside it" >&2
    exit 1
  fi
  cp "$shared_prefix"/bin/tamrel.dll "$work/shared-consumer/"
  run "$work/shared-consumer/consumer.exe" "$(native_path "$work/shared.tmc")"
  run "$work/shared-consumer/testing_consumer.exe"
else
  ls "$shared_prefix"/lib*/libtamrel.so >/dev/null
  LD_LIBRARY_PATH=$(echo "$shared_prefix"/lib*) "$work/shared-consumer/consumer" "$work/shared.tmc"
  LD_LIBRARY_PATH=$(echo "$shared_prefix"/lib*) "$work/shared-consumer/testing_consumer"
fi
