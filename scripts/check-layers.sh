#!/usr/bin/env bash
# Checks that the source folders depend one way: a file includes only its own
# folder and the folders below it, and the Qt-free folders include no Qt.
# Usage: scripts/check-layers.sh [SRC_DIR]   (exit 1 and a line per fault)
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
layers=(base world engine curve platform panel scenario app)
qt_free=(base world engine curve)

rank() {
    local i
    for i in "${!layers[@]}"; do [[ "${layers[$i]}" == "$1" ]] && { echo "$i"; return; }; done
    echo -1
}

faults=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    own=$(rank "$folder")
    if [[ $own -lt 0 ]]; then
        echo "src/$folder: a folder the layer order does not name"
        faults=$((faults + 1))
        continue
    fi
    while IFS=: read -r file line text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
        [[ "$target" == "$text" ]] && continue  # an include of the same folder, without a path
        r=$(rank "$target")
        if [[ $r -gt $own ]]; then
            echo "${file#"$src"/}:$line: $folder includes $target, which lies above it"
            faults=$((faults + 1))
        fi
    done < <(grep -Hn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$dir"* 2>/dev/null || true)
    for q in "${qt_free[@]}"; do
        [[ "$folder" == "$q" ]] || continue
        while IFS= read -r hit; do
            echo "${hit#"$src"/}: Qt in a Qt-free folder"
            faults=$((faults + 1))
        done < <(grep -Hn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$dir"* 2>/dev/null || true)
    done
done
if [[ $faults -gt 0 ]]; then
    echo "$faults include(s) against the layer order: ${layers[*]}"
    exit 1
fi
echo "layers in order: ${layers[*]}"
