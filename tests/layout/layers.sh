#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a lower layer of the code includes a higher one. The engine's
# folders are layered (run, pipeline, detect above codec and files, which
# know nothing of each other); the window's file list knows nothing of
# converting; nothing outside the engine reaches into its private sources,
# and nothing in the engine includes the window's or the command line's.
set -u
top=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$top/src" || exit 2
status=0

# forbid <folder> <pattern> <why>: no file under <folder> includes a header
# whose path matches <pattern>.
forbid() {
    local hits
    hits=$(grep -rnE "^#include [\"<]($2)" "$1" --include='*.h' --include='*.cpp')
    if [ -n "$hits" ]; then
        echo "$3:"
        echo "$hits"
        status=1
    fi
}

e=engine/src
forbid $e/files    'codec/|detect/|pipeline/|run/' "files/ includes a layer above it"
forbid $e/codec    'files/|detect/|pipeline/|run/' "codec/ includes a layer above it"
forbid $e/detect   'pipeline/|run/'                "detect/ includes a layer above it"
forbid $e/pipeline 'run/'                          "pipeline/ includes run/"
forbid engine      'app/|ui/|filelist/|convert/|Q[A-Z]' "the engine includes the window or Qt"
forbid engine/include 'codec/|files/|detect/|pipeline/|run/' "a public header includes a private one"
forbid filelist    'convert/'                      "the file list includes the conversion"
forbid cli         'app/|ui/|filelist/|convert/|Q[A-Z]' "the command line includes the window or Qt"
for face in app ui filelist convert cli; do
    forbid $face 'codec/|files/|detect/|pipeline/|run/' "$face/ includes the engine's private sources"
done

[ $status -eq 0 ] && echo "every include points down"
exit $status
