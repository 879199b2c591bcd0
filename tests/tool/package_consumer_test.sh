#!/usr/bin/env bash
# Usage: package_consumer_test.sh BUILD_DIR CMAKE CXX [EXTRA_FLAGS [TOOLCHAIN RUNNER [qt]]]:
# builds tests/tool/consumer against the installed project with find_package(tamrel) and with
# pkg-config. For a cross build, TOOLCHAIN is its CMake toolchain file and RUNNER the program
# that runs what it builds (Wine); both are empty for a native build. With "qt", also the
# consumer of the qt component (find_package(tamrel COMPONENTS qt), pkg-config tamrel-qt),
# run on Qt's offscreen platform.
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

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# shellcheck disable=SC2046  # the flags are meant to split into words
"$cxx" $flags $(pkg-config --cflags tamrel) "$here/consumer/consumer.cpp" -o "$work/pc-consumer" \
  $(pkg-config --libs --static tamrel)
run "$(ls "$work"/pc-consumer*)" "$(native_path "$work/pkg-config.tmc")"

if $with_qt; then
  export QT_QPA_PLATFORM=offscreen
  "$work/cmake-build/qt_consumer"
  # shellcheck disable=SC2046  # the flags are meant to split into words
  "$cxx" $flags $(pkg-config --cflags tamrel-qt) "$here/consumer/qt_consumer.cpp" \
    -o "$work/pc-qt-consumer" $(pkg-config --libs --static tamrel-qt)
  "$work/pc-qt-consumer"
fi
