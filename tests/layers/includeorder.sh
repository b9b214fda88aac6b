#!/bin/sh
# Every folder of src/ includes only the folders below it. The layers, lowest first; folders on one line
# stand side by side and include none of each other. A new folder of src/ gets its line here.
#
#   includeorder.sh <src folder>            fails, naming each include that points up or sideways
#   includeorder.sh --count <src folder>    prints how many includes of each folder point up, then fails as above
set -eu

layers='
data
session safety
ui
spreadsheet
printing
catalog
settings
prescription reports records
app
'

count=no
if [ "${1:-}" = "--count" ]; then
    count=yes
    shift
fi
src=${1:?usage: includeorder.sh [--count] <src folder>}
[ -d "$src" ] || { echo "includeorder: no folder $src" >&2; exit 2; }

cd "$src"
grep -rn --include='*.h' --include='*.cpp' --include='*.h.in' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' . |
awk -v layers="$layers" -v count="$count" '
BEGIN {
    n = split(layers, lines, "\n")
    level = 0
    for (i = 1; i <= n; ++i) {
        if (lines[i] == "") continue
        ++level
        m = split(lines[i], names, " ")
        for (j = 1; j <= m; ++j) rank[names[j]] = level
    }
    bad = 0
}
{
    # ./folder/file.cpp:12:#include "other/file.h"
    colon = index($0, ":")
    path = substr($0, 3, colon - 3)
    rest = substr($0, colon + 1)
    line = substr(rest, 1, index(rest, ":") - 1)
    folder = substr(path, 1, index(path, "/") - 1)
    if (folder == "") next   # a file directly in src/
    included = rest
    sub(/^[^"]*"/, "", included)
    sub(/".*$/, "", included)
    slash = index(included, "/")
    if (slash == 0) next     # a generated header beside the file
    target = substr(included, 1, slash - 1)
    if (target == folder) next
    if (!(folder in rank)) {
        if (!(folder in unknown)) printf "src/%s is not in the order of includeorder.sh\n", folder
        unknown[folder] = 1
        bad = 1
        next
    }
    if (!(target in rank)) {
        printf "src/%s:%s includes \"%s\", a folder not in the order of includeorder.sh\n", path, line, included
        bad = 1
        next
    }
    if (rank[target] >= rank[folder]) {
        printf "src/%s:%s: %s includes \"%s\", which is %s it\n", path, line, folder, included,
               rank[target] == rank[folder] ? "beside" : "above"
        up[folder]++
        bad = 1
    }
}
END {
    if (count == "yes") {
        for (f in rank) printf "%-14s %d\n", f, up[f] + 0 | "sort"
        close("sort")
    }
    exit bad
}'
