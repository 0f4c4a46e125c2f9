#!/usr/bin/env bash
# Writes the JSON form of a big packet set for "orva-deploy pack": ENTRIES deployment entries per
# language under the demo account's places, their function names NAME_UNITS characters long (a
# number, then Chinese characters), spread over 40 sub-functions.
# Usage: bench/make-packet-json.sh ENTRIES NAME_UNITS OUT.json
set -euo pipefail
entries=$1
units=$2
out=$3
LC_ALL=C awk -v n="$entries" -v units="$units" '
function pad(text, width,   out) {
    out = text
    while (length(out) < length(text) + (width - length(text)) * 3) out = out "名"
    return out
}
BEGIN {
    printf "{"
    split("CHS CHT EN", languages, " ")
    for (l = 1; l <= 3; ++l) {
        printf "%s\"%s\":[", (l > 1 ? "," : ""), languages[l]
        for (i = 1; i <= n; ++i) {
            name = pad(sprintf("F%06d", i), units)
            sub_func = sprintf("子功能%02d", i % 40)
            printf "%s{\"FTopClassID\":\"3\",\"FTopClassName\":\"供应链\",\"FSubSystemID\":\"301\",", (i > 1 ? "," : "")
            printf "\"FSubSystemName\":\"采购管理\",\"FSubFuncID\":\"0\",\"FSubFuncName\":\"%s\",", sub_func
            printf "\"NewName\":\"%s\",\"FFuncName\":\"%s\",\"FClassName\":\"OrvaHost.Application\",", name, name
            printf "\"FClassParam\":\"Base|%d\",\"FHelpCode\":\"\",", 300000000 + i
            printf "\"No\":\"[%s] 发布到: [供应链.采购管理.%s]\"}", name, sub_func
        }
        printf "]"
    }
    printf "}\n"
}' >"$out"
