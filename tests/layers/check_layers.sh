#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own or
# beside it, when the core includes Qt, or when a core target links Qt.
# Layers, bottom up (a folder may include its own layer and those below):
#   image
#   io (the safe save, the read-only file), platform (services)
#   bmp, png, gif, pcx (the codecs)
#   document
#   editor, import, effects, merge, export, recovery
#   mainwindow
#   qt/platform, then qt/ui
#   app
# Folders on one line are siblings: none includes another. Tests of a folder
# stand where it does and may include tests/support too; tests/support,
# tests/faults, bench/ and fuzz/ stand on the whole core, tests/ui on qt/ui.
# A folder compiled into the target of a higher one is held to that layer.
# Both kinds of include are read, "..." and <...>.
#
# Usage: check_layers.sh PROJECT_DIR TARGETS_FILE
# TARGETS_FILE is written when the build is configured (tests/layers/targets.cmake
# writes build/tests/layers/targets.txt).
set -uo pipefail
root=${1:?usage: check_layers.sh PROJECT_DIR TARGETS_FILE}
targets_file=${2:?usage: check_layers.sh PROJECT_DIR TARGETS_FILE}

declare -A rank=([image]=0 [io]=1 [platform]=1 [bmp]=2 [png]=2 [gif]=2 [pcx]=2
  [document]=3 [editor]=4 [import]=4 [effects]=4 [merge]=4 [export]=4 [recovery]=4
  [mainwindow]=5 [qt/platform]=6 [qt/ui]=7 [app]=8)
core_top=mainwindow

status=0
fail() {
  echo "$1"
  status=1
}

# What the build compiles where.
[ -r "$targets_file" ] || {
  echo "cannot read $targets_file"
  exit 1
}
declare -A folders_of links_of target_of
while IFS='|' read -r name folders links; do
  folders_of[$name]=$folders
  links_of[$name]=$links
  for f in $folders; do
    if [ -n "${target_of[$f]:-}" ]; then
      fail "src/$f/ builds into both ${target_of[$f]} and $name"
    fi
    target_of[$f]=$name
  done
done <"$targets_file"

# The layer a folder of src/ is held to: its own, or the highest folder's
# that builds into the same target.
held() {
  local folder=$1 layer=$1 target=${target_of[$1]:-} f
  [ -n "$target" ] || {
    echo "$layer"
    return
  }
  for f in ${folders_of[$target]}; do
    [ "${rank[$f]:-}" ] && [ "${rank[$f]}" -gt "${rank[$layer]}" ] && layer=$f
  done
  echo "$layer"
}
declare -A held_at
for f in "${!rank[@]}"; do
  held_at[$f]=$(held "$f")
  [ "${held_at[$f]}" != "$f" ] &&
    echo "note: src/$f/ builds inside ${target_of[$f]}, so it is held to the ${held_at[$f]} layer"
done

# The layer of a project file, by its path from the project's root.
layer_of_file() {
  local rel=$1 top=${1%%/*} rest=${1#*/} sub
  sub=${rest%%/*}
  case "$top" in
    src) [ "$sub" = qt ] && sub=qt/${rest#qt/} && sub=${sub%/*} ;;
    tests)
      case "$sub" in
        support | faults) sub=$core_top ;;
        ui) sub=qt/ui ;;
      esac
      ;;
    bench | fuzz) sub=$core_top ;;
    *) sub="" ;;
  esac
  [ -n "$sub" ] && [ "${rank[$sub]:-}" ] && echo "${held_at[$sub]}"
}

# The layer an included path names, or nothing for a header outside the project.
layer_of_include() {
  local inc=$1 top=${1%%/*} rest=${1#*/}
  [ "$top" = qt ] && top=qt/${rest%%/*}
  [ "${rank[$top]:-}" ] && echo "$top"
}

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]*)[>"]'
while IFS= read -r file; do
  rel=${file#"$root"/}
  layer=$(layer_of_file "$rel")
  if [ -z "$layer" ]; then
    fail "$rel: in no known layer"
    continue
  fi
  qt_ok=false
  [ "${rank[$layer]}" -gt "${rank[$core_top]}" ] && qt_ok=true
  while IFS= read -r line; do
    [[ "$line" =~ $include_re ]] || continue
    inc=${BASH_REMATCH[2]}
    if [[ "$inc" == Q* ]] && [ "${BASH_REMATCH[1]}" = "<" ]; then
      $qt_ok || fail "$rel: the core includes Qt: <$inc>"
      continue
    fi
    [[ "$inc" == */* ]] || continue # beside the file, or a system header
    if [[ "/$inc/" == */../* ]]; then
      fail "$rel: includes \"$inc\", not a path from a folder's root"
      continue
    fi
    if [ "${inc%%/*}" = support ]; then
      [[ "$rel" == tests/* ]] || fail "$rel: includes \"$inc\", a test helper"
      continue
    fi
    target=$(layer_of_include "$inc")
    [ -n "$target" ] || continue
    if [ "$target" != "$layer" ] && [ "${rank[$target]}" -ge "${rank[$layer]}" ]; then
      how=above
      [ "${rank[$target]}" -eq "${rank[$layer]}" ] && how=beside
      fail "$rel: includes \"$inc\", $how the $layer layer"
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find "$root/src" "$root/tests" "$root/bench" "$root/fuzz" \
  \( -name '*.h' -o -name '*.cpp' -o -name '*.inl' \) | sort)

# No core target links Qt, directly or through what it links.
is_core() {
  local f
  for f in ${folders_of[$1]}; do
    [ "${rank[$f]:-9}" -le "${rank[$core_top]}" ] || return 1
  done
}
for t in "${!links_of[@]}"; do
  is_core "$t" || continue
  declare -A seen=()
  queue=("$t")
  while [ ${#queue[@]} -gt 0 ]; do
    item=${queue[0]}
    queue=("${queue[@]:1}")
    [ -n "${seen[$item]:-}" ] && continue
    seen[$item]=1
    if [[ "$item" == Qt* || "$item" == *::Qt* || "$item" == *libQt* ]] ||
      { [ -n "${links_of[$item]+x}" ] && ! is_core "$item"; }; then
      fail "$t, a core target, links $item"
      continue
    fi
    for l in ${links_of[$item]:-}; do queue+=("$l"); done
  done
  unset seen
done

[ $status -eq 0 ] && echo "every include points down the layers, and the core links no Qt"
exit $status
