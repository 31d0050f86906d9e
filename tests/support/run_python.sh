#!/bin/sh
# Runs the Python interpreter given first with the sanitizer runtime named by
# VARNEX_TEST_PRELOAD loaded ahead of it, when there is one.
if [ -n "${VARNEX_TEST_PRELOAD:-}" ]; then
  LD_PRELOAD=$VARNEX_TEST_PRELOAD ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" exec "$@"
fi
exec "$@"
