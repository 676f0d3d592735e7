#!/usr/bin/env bash
# Checks the include graph against layers.txt: a source file includes headers of its own layer
# and of lower layers only, and Qt appears only in the layers marked "qt". Prints one line per
# offending include and exits 1 when there is any; tests/, bench/ and fuzz/ sit above every
# layer and are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t entries < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' layers.txt)
declare -A rank qt
layers=()
for i in "${!entries[@]}"; do
    read -r folder flag <<<"${entries[$i]}"
    rank[$folder]=$i
    qt[$folder]=${flag:-}
    layers+=("$folder")
done

# The layer a path ("station/Layout.h", "platform/ui/Dialog.h") belongs to: the longest listed
# folder it starts with.
layer_of() {
    local path=$1 best=""
    for folder in "${layers[@]}"; do
        if [[ $path == "$folder"/* && ${#folder} -gt ${#best} ]]; then best=$folder; fi
    done
    printf '%s' "$best"
}

faults=0
for folder in "${layers[@]}"; do
    [[ -d $folder ]] || continue
    while IFS= read -r -d '' file; do
        own=$(layer_of "$file")
        [[ $own == "$folder" ]] || continue  # a deeper listed folder checks it
        while IFS=: read -r line text; do
            if [[ $text =~ \#include[[:space:]]*\"([^\"]+)\" ]]; then
                target=$(layer_of "${BASH_REMATCH[1]}")
                if [[ -n $target && ${rank[$target]} -gt ${rank[$own]} ]]; then
                    echo "$file:$line: includes ${BASH_REMATCH[1]} from $target, above $own"
                    faults=$((faults + 1))
                fi
            elif [[ $text =~ \#include[[:space:]]*\<(Q[A-Za-z]*)[/\>] && -z ${qt[$own]} ]]; then
                echo "$file:$line: includes Qt (${BASH_REMATCH[1]}) in the Qt-free layer $own"
                faults=$((faults + 1))
            fi
        done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
    done < <(find "$folder" \( -name '*.cpp' -o -name '*.h' -o -name '*.cc' \) -print0 | sort -z)
done

if ((faults > 0)); then
    echo "check-layers: $faults include(s) against the order in layers.txt" >&2
    exit 1
fi
echo "check-layers: the includes follow layers.txt"
