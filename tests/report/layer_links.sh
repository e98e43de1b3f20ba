#!/usr/bin/env bash
# Checks that no layer of the report engine calls a function that only a layer above it (or
# beside it) defines: the include roots stop upward includes, this stops a lower layer's class
# from having members defined higher up, which a static link would silently accept.
#
# layer_links.sh LAYERS_FILE ARCHIVE_DIR
#   LAYERS_FILE: one line per layer, "layer dep dep ..." with its direct report dependencies
#   ARCHIVE_DIR: where libreport_<layer>.a are
set -euo pipefail
layers_file=$1
archives=$2

declare -A deps
order=()
while read -r layer rest; do
  [ -n "$layer" ] || continue
  deps[$layer]="$rest"
  order+=("$layer")
done <"$layers_file"

closure() { # the layer and everything below it
  local seen=" $1 " stack=($1) l d
  while [ ${#stack[@]} -gt 0 ]; do
    l=${stack[-1]}
    unset 'stack[-1]'
    for d in ${deps[$l]}; do
      case "$seen" in *" $d "*) ;; *) seen+="$d "; stack+=("$d") ;; esac
    done
  done
  echo "$seen"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for l in "${order[@]}"; do
  lib="$archives/libreport_$l.a"
  [ -f "$lib" ] || { echo "missing $lib" >&2; exit 2; }
  # Strong definitions only: inline functions and templates are defined weakly in many places.
  nm --defined-only -g -P "$lib" 2>/dev/null | awk '$2 ~ /^[TDBR]$/ {print $1}' | sort -u >"$tmp/$l.defined"
  nm -u -P "$lib" 2>/dev/null | awk '{print $1}' | sort -u >"$tmp/$l.undefined"
done

status=0
for l in "${order[@]}"; do
  allowed=$(closure "$l")
  for other in "${order[@]}"; do
    case "$allowed" in *" $other "*) continue ;; esac
    found=$(comm -12 "$tmp/$l.undefined" "$tmp/$other.defined" | head -5)
    if [ -n "$found" ]; then
      echo "layer $l calls into $other, which it does not link:" >&2
      echo "$found" | c++filt | sed 's/^/  /' >&2
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "${#order[@]} layers, each calling only the layers it links"
exit $status
