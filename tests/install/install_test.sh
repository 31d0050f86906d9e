#!/usr/bin/env bash
# `cmake --install` under a scratch prefix, the hosts of check_installed.sh
# against it, then the uninstall script, which must leave no file behind.
# Components are installed one by one so that the manifest of the user's
# own `cmake --install build` (install_manifest.txt) is left alone.
#
#   install_test.sh BUILD_DIR SOURCE_DIR PYTHON C_COMPILER
set -euo pipefail
build=$1 source=$2 python=$3 cc=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/opt/varnex-test

for component in runtime development; do
  cmake --install "$build" --prefix "$prefix" --component "$component" > /dev/null
done
unset VARNEX_LIBRARY
bash "$source/tests/install/check_installed.sh" "$prefix" "$source" "$python" "$cc"

for component in runtime development; do
  cmake -DMANIFEST="$build/install_manifest_$component.txt" -P "$source/cmake/Uninstall.cmake" > /dev/null
done
left=$(find "$prefix" \( -type f -o -type l \) -print)
if [ -n "$left" ]; then
  echo "FAIL: uninstall left files behind:" >&2
  echo "$left" >&2
  exit 1
fi
dirs=$(find "$prefix" -type d \( -name varnex -o -name Varnex \) -print)
if [ -n "$dirs" ]; then
  echo "FAIL: uninstall left directories behind: $dirs" >&2
  exit 1
fi
echo "uninstalled: no file of Varnex left under $prefix"
