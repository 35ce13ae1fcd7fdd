#!/usr/bin/env bash
# Builds what the benchmarks measure, from a private copy of the committed tree, so that
# edits in the work tree do not change a run half-way:
#   /tmp/lumeno-bench-build/lumeno        REV as committed
#   /tmp/qt6minimal-build/qt6minimal      the bare Qt WebEngine floor of the shared peer-bench
# The program adds no Chromium switch of its own, so other process models are measured by
# passing switches (startup_idle_memory.py --models), not by building variants.
# The build directories are fixed, under /tmp, because bench/peer/browsers.json names them.
# The shared peer-bench (for qt6minimal) is $PEER_BENCH, by default ../shared/peer-bench
# beside the repository.
# Usage: bench/build.sh [REV]   (REV defaults to HEAD; the work tree is never touched)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(git -C "$here" rev-parse --show-toplevel)"
rev="${1:-HEAD}"
peer="${PEER_BENCH:-$repo/../shared/peer-bench}"
if [ ! -d "$peer/qt6minimal" ]; then
    echo "build.sh: no qt6minimal under $peer; set PEER_BENCH to the shared peer-bench" >&2
    exit 1
fi

src="${TMPDIR:-/tmp}/lumeno-src"
version="Lumeno 2.0 $(git -C "$repo" rev-parse --short "$rev")"
if [ "$(cat /tmp/lumeno-bench-build/bench-version.txt 2>/dev/null)" = "$version" ] &&
   [ -x /tmp/lumeno-bench-build/lumeno ] && [ -x /tmp/qt6minimal-build/qt6minimal ]; then
    echo "already built: $version"
    exit 0
fi
rm -rf "$src"
mkdir -p "$src"
# -m: files get the time of extraction, so that ninja rebuilds whatever changed
git -C "$repo" archive "$rev" | tar -x -m -C "$src"

cmake -S "$src" -B /tmp/lumeno-bench-build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
rm -f /tmp/lumeno-bench-build/bench-version.txt
cmake --build /tmp/lumeno-bench-build --target lumeno
echo "$version" > /tmp/lumeno-bench-build/bench-version.txt

cmake -S "$peer/qt6minimal" -B /tmp/qt6minimal-build -G Ninja >/dev/null
cmake --build /tmp/qt6minimal-build
echo "built: $version"
