#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own, or
# when the core includes Qt. Layers, bottom up:
#   image <- platform (services) <- document <- png, gif <- forms <- qt <- app
# Usage: check_layers.sh path/to/src
set -uo pipefail
src=${1:?usage: check_layers.sh path/to/src}
forms="mainwindow editor import effects merge"

allowed() {  # allowed include folders for a file in folder $1
  case "$1" in
    image) echo "image" ;;
    platform) echo "image platform" ;;
    document) echo "image document" ;;
    png) echo "image document png" ;;
    gif) echo "image document gif" ;;
    mainwindow | editor | import | effects | merge) echo "image platform document png gif $forms" ;;
    qt) echo "image platform document png gif $forms qt" ;;
    app) echo "image platform document png gif $forms qt app" ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r file; do
  rel=${file#"$src"/}
  layer=${rel%%/*}
  ok=" $(allowed "$layer") "
  if [ "$ok" = "  " ]; then
    echo "$rel: in no known layer"
    status=1
    continue
  fi
  while IFS= read -r line; do
    inc=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$line")
    if [ -n "$inc" ] && [[ "$inc" == */* ]]; then
      target=${inc%%/*}
      # The codecs' old headers in document/ only forward to their new homes.
      if [[ "$ok" != *" $target "* ]] && ! [[ "$rel:$inc" =~ ^document/(png|png_picture|gif)\.h:(png|gif)/ ]]; then
        echo "$rel: includes \"$inc\", above the $layer layer"
        status=1
      fi
    fi
    if [ "$layer" != qt ] && [ "$layer" != app ] && grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' <<<"$line"; then
      echo "$rel: the core includes Qt: $line"
      status=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find "$src" -name '*.h' -o -name '*.cpp' -o -name '*.inl' | sort)

[ $status -eq 0 ] && echo "every include points down the layers"
exit $status
