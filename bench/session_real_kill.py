#!/usr/bin/env python3
"""Real kills of the real program: Lumeno starts with three windows whose pages
change their address (location.replace('#<ms since epoch>')) every 100 ms, so
that every change is a navigation the session keeps; at a random moment
(--min..--max s after the spawn) it is killed with SIGKILL. Then the session
file is opened as another program would open it (Python's sqlite3, the WAL
read back, PRAGMA integrity_check) and the newest address kept gives the age
of what comes back: kill time - time of the newest state stored (an upper
bound; the page's next change comes at most 100 ms after it). The next
trial's start is the restart: it must take the file over (its lock, its
run state, its writes) after the kill, and what it keeps must be newer.

Every --fresh trials the file is removed: windows offered after an unclean
end stay in the file until answered, so they add up otherwise.

  bench/session_real_kill.py [--trials 100] [--program build/lumeno]
Standard library only; QT_QPA_PLATFORM=offscreen, no display needed.
"""
import argparse
import os
import random
import shutil
import signal
import sqlite3
import statistics
import subprocess
import tempfile
import time
import urllib.parse

PAGE = """<!doctype html><title>tick</title><p>tick</p>
<script>setInterval(function () { location.replace('#' + Date.now()); }, 100);</script>"""


def stamps(db):
    """(integrity, running, [ms stamps of the windows' addresses])"""
    con = sqlite3.connect(db, timeout=5)
    try:
        integrity = con.execute("PRAGMA integrity_check").fetchone()[0]
        running = con.execute("SELECT running FROM run_state").fetchone()
        found = []
        for (address,) in con.execute("SELECT address FROM session_windows"):
            fragment = urllib.parse.urlsplit(address or "").fragment
            if fragment.isdigit():
                found.append(int(fragment))
        return integrity, running[0] if running else None, found
    finally:
        con.close()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--trials", type=int, default=100)
    ap.add_argument("--program", default=os.path.join(here, "..", "build", "lumeno"))
    ap.add_argument("--min", type=float, default=1.0)
    ap.add_argument("--max", type=float, default=5.0)
    ap.add_argument("--fresh", type=int, default=10)
    args = ap.parse_args()

    root = tempfile.mkdtemp(prefix="lumeno-kill-")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=root,
               XDG_CONFIG_HOME=root + "/config", XDG_DATA_HOME=root + "/data",
               XDG_CACHE_HOME=root + "/cache", XDG_RUNTIME_DIR=root + "/run")
    if os.geteuid() == 0:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    os.makedirs(root + "/run", mode=0o700)
    page = os.path.join(root, "tick.html")
    with open(page, "w") as f:
        f.write(PAGE)
    addresses = ["file://%s?w=%d" % (page, n) for n in (1, 2, 3)]
    data = root + "/data/Lumeno2/Lumeno2"
    db = data + "/Browsing.sqlite"

    ages, nothing_yet, bad, complaints = [], 0, [], 0
    for trial in range(args.trials):
        if trial % args.fresh == 0:
            shutil.rmtree(data, ignore_errors=True)
        spawned = time.time()
        with open(root + "/stderr.txt", "w") as err:
            child = subprocess.Popen([args.program, "--new-instance"] + addresses, env=env,
                                     stdout=subprocess.DEVNULL, stderr=err, start_new_session=True)
            time.sleep(random.uniform(args.min, args.max))
            killed = time.time()
            os.killpg(child.pid, signal.SIGKILL)
            child.wait()
        with open(root + "/stderr.txt") as err:
            if any("session" in line for line in err):
                complaints += 1
        try:
            integrity, running, found = stamps(db)
        except sqlite3.Error as e:
            bad.append("trial %d: %s" % (trial, e))
            continue
        if integrity != "ok" or running != 1:
            bad.append("trial %d: integrity %s, running %s" % (trial, integrity, running))
        mine = [s for s in found if s >= spawned * 1000]
        if not mine:
            nothing_yet += 1
            continue
        ages.append(killed * 1000 - max(mine))

    print("trials %d, kill %.1f-%.1f s after the spawn, file removed every %d"
          % (args.trials, args.min, args.max, args.fresh))
    print("store opened and sound: %d of %d%s" % (args.trials - len(bad), args.trials,
                                                   "".join("\n  " + b for b in bad)))
    print("program complained about the session on stderr: %d" % complaints)
    print("killed before this run's pages had written: %d" % nothing_yet)
    if ages:
        ages.sort()
        print("age of what came back, ms: median %.0f, 90th %.0f, worst %.0f (n=%d)"
              % (statistics.median(ages), ages[int(len(ages) * 0.9) - 1], ages[-1], len(ages)))
    shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
