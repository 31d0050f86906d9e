#!/usr/bin/env bash
# The shared library exports the host API and nothing else (cmake/varnex.map):
# every function varnex.h declares, and no symbol outside the allowed names.
#
#   check_exports.sh LIBRARY VARNEX_H
set -euo pipefail
lib=$1 header=$2
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | c++filt)
status=0
for fn in $(sed -n 's/^VARNEX_EXPORT .*[ *]\(varnex_[a-z_]*\)(.*/\1/p' "$header"); do
  grep -qx "$fn" <<< "$exported" || { echo "not exported: $fn" >&2; status=1; }
done
allowed='^(create|destroy|setStoreKey|TOTAL_NAME|varnex_[a-z_]+|Varnex::.*|JsonObjectBuilder::.*|JsonObjectParser::.*|(typeinfo|typeinfo name|vtable) for JsonReaderException)$'
stray=$(grep -vE "$allowed" <<< "$exported" || true)
if [ -n "$stray" ]; then
  echo "stray exports:" >&2
  echo "$stray" >&2
  status=1
fi
[ $status = 0 ] && echo "$(wc -l <<< "$exported") symbols exported, all of them host API"
exit $status
