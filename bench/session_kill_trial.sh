#!/usr/bin/env bash
# The session kill trial of the suite (tests/session/tst_sessionkill.cpp), run
# longer and with the writer's own one-second interval: a child hands numbered
# sessions to the writer and is killed with SIGKILL at a random moment up to
# 3 s after its start-up, TRIALS times (half of them writing back to back).
# Prints the trials, any failure, and the age of what came back (how long
# before the kill a newer session had been handed over): median and worst.
#   bench/session_kill_trial.sh [TRIALS] [BUILD_DIR]     (120, ./build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
trials="${1:-120}"
build="${2:-$here/../build}"
ninja -C "$build" tst_sessionkill >/dev/null
# About 2 s a trial; QtTest's own limit for one test function is raised to match.
LUMENO_KILL_TRIALS="$trials" LUMENO_KILL_INTERVAL_MS=1000 LUMENO_KILL_MAX_DELAY_MS=3000 \
QTEST_FUNCTION_TIMEOUT=$((trials * 5000 + 60000)) QT_QPA_PLATFORM=offscreen \
    "$build/tests/tst_sessionkill" 2>&1 | grep -E "^(QINFO|FAIL|   Loc|Totals)" | sed "s/^QINFO *: [^ ]* //"
