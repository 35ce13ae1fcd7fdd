#!/usr/bin/env bash
# The whole set, about 15 minutes on 2 cores (13.5 measured before qt6minimal-home-sw was added; more
# if another Qt program keeps the machine busy: each run first waits up to 30 s for quiet). Results go to
# bench/results/ (JSON with every run, markdown tables). Needs root (PSS and footprint of
# every process), Xvfb, xdotool, dbus-daemon; for the peers: falkon, surf, chromium.
#   bench/run_all.sh            build (bench/build.sh), then the three benchmarks
#   NOBUILD=1 bench/run_all.sh  measure what is already built in /tmp
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/results"
mkdir -p "$out"
[ -n "${NOBUILD:-}" ] || "$here/build.sh"
stamp="$(date +%Y%m%d-%H%M)"

# 1. the program as committed: start-up, idle CPU with 1 and 10 windows, PSS 1/5/10
python3 "$here/startup_idle_memory.py" --runs 3 --startup-runs 3 \
    --out "$out/committed-$stamp.json" --md "$out/committed-$stamp.md"

# 2. process models: start-up and PSS 1/5/10 for each (round-robin)
python3 "$here/startup_idle_memory.py" --models --only process-per-site,per-site-instance,limit=1,limit=2 \
    --runs 2 --startup-runs 2 --out "$out/models-$stamp.json" --md "$out/models-$stamp.md"

# 3. side by side with the peers, one invocation, round-robin
peers=(lumeno qt6minimal-home-sw qt6minimal-home)
for b in falkon surf chromium; do
    if command -v "$b" >/dev/null; then peers+=("$b"); else echo "skipping $b: not installed"; fi
done
python3 "$here/peer/bench.py" "${peers[@]}" --tests startup,multi --runs 3 --multi-runs 2 \
    --out "$out/peers-$stamp.json" --md "$out/peers-$stamp.md"
python3 "$here/peer/ratios.py" "$out/peers-$stamp.json" | tee "$out/peers-$stamp-ratios.md"
