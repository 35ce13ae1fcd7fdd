#!/usr/bin/env bash
# Builds what the benchmarks measure, from a private copy of the committed tree, so that
# edits in the work tree do not change a run half-way:
#   /tmp/lumeno-bench-build/lumeno        HEAD as committed (it appends --process-per-site)
#   /tmp/lumeno-bench-build-nopps/lumeno  the same with that switch left out (Chromium's
#                                         default model, one renderer per browsing instance)
#   /tmp/qt6minimal-build/qt6minimal      the bare Qt WebEngine floor of shared/peer-bench
# Usage: bench/build.sh [REV]   (REV defaults to HEAD; the work tree is never touched)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(git -C "$here" rev-parse --show-toplevel)"
rev="${1:-HEAD}"
peer="${PEER_BENCH:-$repo/../shared/peer-bench}"
[ -d "$peer/qt6minimal" ] || peer=/work/shared/peer-bench

src=/tmp/lumeno-src
version="Lumeno 2.0 $(git -C "$repo" rev-parse --short "$rev")"
if [ "$(cat /tmp/lumeno-bench-build/bench-version.txt 2>/dev/null)" = "$version" ] &&
   [ "$(cat /tmp/lumeno-bench-build-nopps/bench-version.txt 2>/dev/null)" = "$version without --process-per-site" ] &&
   [ -x /tmp/lumeno-bench-build/lumeno ] && [ -x /tmp/lumeno-bench-build-nopps/lumeno ] &&
   [ -x /tmp/qt6minimal-build/qt6minimal ]; then
    echo "already built: $version"
    exit 0
fi
rm -rf "$src" "$src-nopps"
mkdir -p "$src"
# -m: files get the time of extraction, so that ninja rebuilds whatever changed
git -C "$repo" archive "$rev" | tar -x -m -C "$src"

cp -r "$src" "$src-nopps"
# The variant: the program adds nothing to QTWEBENGINE_CHROMIUM_FLAGS (the line
# `const QByteArray ours = "--process-per-site";`, wherever it is, gets an empty switch).
files=$(grep -rl 'const QByteArray ours = "--process-per-site";' "$src-nopps/shell" "$src-nopps/browser" || true)
if [ -n "$files" ]; then
    sed -i 's/const QByteArray ours = "--process-per-site";/const QByteArray ours = "";/' $files
else
    # The program adds no switch of its own any more: the variant is the same build.
    echo "build.sh: the program adds no --process-per-site; the variant equals HEAD" >&2
fi

build() { # SRC BUILD-DIR VERSION-TEXT
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    rm -f "$2/bench-version.txt"
    cmake --build "$2" --target lumeno
    echo "$3" > "$2/bench-version.txt"
}
build "$src" /tmp/lumeno-bench-build "$version"
build "$src-nopps" /tmp/lumeno-bench-build-nopps "$version without --process-per-site"

cmake -S "$peer/qt6minimal" -B /tmp/qt6minimal-build -G Ninja >/dev/null
cmake --build /tmp/qt6minimal-build
echo "built: $version"
