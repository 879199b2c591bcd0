#!/usr/bin/env bash
# Usage: package_consumer_test.sh BUILD_DIR CMAKE CXX [EXTRA_FLAGS [qt]]: builds
# tests/tool/consumer against the installed project with find_package(tamrel) and with
# pkg-config; with "qt", also the consumer of the qt component (find_package(tamrel
# COMPONENTS qt), pkg-config tamrel-qt), run on Qt's offscreen platform.
set -euo pipefail

build=$1
cmake=$2
cxx=$3
flags=${4:-}
with_qt=false
[[ "${5:-}" == "qt" ]] && with_qt=true
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

"$prefix/bin/tamrel" --help >/dev/null
libdir=$(cd "$prefix" && ls -d lib*/pkgconfig | head -n 1 | xargs dirname)

export XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config

if ! { "$cmake" -S "$here/consumer" -B "$work/cmake-build" \
          -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
          -DTAMREL_CONSUMER_QT="$with_qt" \
          -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" &&
        "$cmake" --build "$work/cmake-build"; } >"$work/cmake-build.log" 2>&1; then
  cat "$work/cmake-build.log" >&2
  exit 1
fi
"$work/cmake-build/consumer" "$work/cmake.tmc"

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# shellcheck disable=SC2046  # the flags are meant to split into words
"$cxx" $flags $(pkg-config --cflags tamrel) "$here/consumer/consumer.cpp" -o "$work/pc-consumer" \
  $(pkg-config --libs --static tamrel)
"$work/pc-consumer" "$work/pkg-config.tmc"

if $with_qt; then
  export QT_QPA_PLATFORM=offscreen
  "$work/cmake-build/qt_consumer"
  # shellcheck disable=SC2046  # the flags are meant to split into words
  "$cxx" $flags $(pkg-config --cflags tamrel-qt) "$here/consumer/qt_consumer.cpp" \
    -o "$work/pc-qt-consumer" $(pkg-config --libs --static tamrel-qt)
  "$work/pc-qt-consumer"
fi
