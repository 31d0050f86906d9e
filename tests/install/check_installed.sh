#!/usr/bin/env bash
# Checks a Varnex tree installed under PREFIX as a host developer meets it:
# a C host built through pkg-config, C and C++ hosts built through
# find_package(Varnex), and the Python module installed with pip into a
# fresh virtual environment. Each must suggest replies from the tree's own
# library and resources.
#
#   check_installed.sh PREFIX SOURCE_DIR PYTHON C_COMPILER
#
# A tree unpacked from the Debian packages still says prefix=/usr in
# varnex.pc; the prefix is therefore always passed to pkg-config. Set
# VARNEX_LIBRARY for such a tree, which no library search path reaches.
# VARNEX_TEST_PRELOAD is preloaded into the programs run (a sanitizer
# runtime, when the library was built with one).
set -euo pipefail
prefix=$1 source=$2 python=$3 cc=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/data
mkdir -p "$data"
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { LD_PRELOAD="${VARNEX_TEST_PRELOAD:-}" "$@"; }
# Every line a host prints must be a reply: at least one, all non-empty.
expect_replies() {
  local what=$1 out=$2
  [ -n "$out" ] || fail "$what printed no reply"
  echo "$what: $(echo "$out" | head -1) (+$(($(echo "$out" | wc -l) - 1)) more)"
}

pc=$(find "$prefix" -name varnex.pc -path '*/pkgconfig/*' | head -1)
[ -n "$pc" ] || fail "no varnex.pc under $prefix"
export PKG_CONFIG_PATH=$(dirname "$pc")
pkg() { pkg-config --define-variable=prefix="$prefix" "$@" varnex; }

echo "== pkg-config: $(pkg --cflags --libs)"
libdir=$(pkg --variable=libdir)
resourcedir=$(pkg --variable=resourcedir)
[ -d "$resourcedir/1.0" ] || fail "resourcedir $resourcedir holds no 1.0 tree"
# shellcheck disable=SC2046
"$cc" -std=c99 -Wall -Wextra -Werror "$source/tests/install/consumer/suggest.c" -o "$work/suggest-pc" \
  $(pkg --cflags --libs) -Wl,-rpath,"$libdir"
expect_replies "pkg-config host, default resources" "$(run "$work/suggest-pc" "$data")"
expect_replies "pkg-config host, resourcedir" "$(run "$work/suggest-pc" "$data" "$resourcedir")"

echo "== find_package"
cmake -S "$source/tests/install/consumer" -B "$work/consumer" -Werror=dev \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" -DCMAKE_BUILD_TYPE=Release > "$work/consumer.log" 2>&1 ||
  { cat "$work/consumer.log"; fail "the consumer project does not configure"; }
cmake --build "$work/consumer" > "$work/consumer-build.log" 2>&1 ||
  { cat "$work/consumer-build.log"; fail "the consumer project does not build"; }
expect_replies "find_package C host" "$(run "$work/consumer/suggest" "$data")"
expect_replies "find_package C++ host" "$(run "$work/consumer/suggest-cxx" "$data")"

echo "== pip install ./python"
"$python" -m venv "$work/venv"
PYTHONDONTWRITEBYTECODE=1 "$work/venv/bin/python" -m pip install --no-index --quiet "$source/python"
out=$(cd "$work" && env -u PKG_CONFIG_PATH LD_PRELOAD="${VARNEX_TEST_PRELOAD:-}" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-}${VARNEX_TEST_PRELOAD:+:detect_leaks=0}" "$work/venv/bin/python" - "$data" "$prefix" <<'PY'
import os, sys
import varnex
data, prefix = sys.argv[1], os.path.realpath(sys.argv[2])
with varnex.Engine(data=data) as engine:
    for path in (engine.library, engine.resources):
        assert os.path.realpath(path).startswith(prefix + "/"), f"{path} is not under {prefix}"
    replies = engine.suggest("생일 축하해!", sender="Mina")
    assert engine.notify("Mina", "생일 축하해!", replies[0])
    print("\n".join(replies))
PY
)
expect_replies "Python module" "$out"
echo "all hosts found the installation at $prefix"
