#!/usr/bin/env python3
"""Starts and stops the real program many times on a busy machine and counts how it ended
(Python 3 stdlib; Linux; Xvfb for --xvfb).

Each run starts a private copy of the program (its own directory, so that a favorites file
beside it is the run's own) as a user would, without options, in a fresh private environment
(XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR in a temporary directory;
QT_QPA_PLATFORM=offscreen, or xcb on a private Xvfb with --xvfb; QTWEBENGINE_DISABLE_SANDBOX=1
as root). The runs take turns at three kinds:
  start   the built-in start page, no favorites file;
  favs    the start page with a favorites file of --favorites entries (100,000);
  asks    a home page served on 127.0.0.1 that puts up an alert, a confirm or a prompt at a
          random moment within its first 2 s (--kinds start,favs leaves these out).
SIGTERM comes after a random delay: a third of the runs within the first --early s (before
the host shows), the rest anywhere up to --late s (while the page loads, or later). It goes to
the program, or with --group to its whole process group, the engine's processes included, as
timeout(1) and the end of a session send it. A run that has not ended --grace s after the
signal is killed and counted as hung. While the runs go, --load busy processes (one per core
by default) keep the machine loaded.

Every exit status is counted, by kind; the stderr of each run that did not end with 0 is kept
under --out (bench/results/start_stop by default), and its last lines are printed.

  python3 bench/start_stop.py                       # 300 runs of build/lumeno
  python3 bench/start_stop.py --runs 150 --group --xvfb --bin /tmp/lumeno-bench-build/lumeno
"""
import argparse
import collections
import http.server
import multiprocessing
import os
import pwd
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

ASKS = b"""<!DOCTYPE html><html><head><meta charset="utf-8"><title>asks</title></head><body>
<p>A page that asks something.</p>
<script>
var ask = [function () { alert('Hello'); }, function () { confirm('Go on?'); },
           function () { prompt('Your name?', ''); }][Math.floor(Math.random() * 3)];
setTimeout(ask, Math.random() * 2000);
</script></body></html>"""


def busy():
    while True:
        pass


def user_name():
    try:
        return pwd.getpwuid(os.geteuid()).pw_name
    except KeyError:
        return os.environ.get("USER") or os.environ.get("LOGNAME") or "user"


def write_favorites(path, count):
    with open(path, "wb") as f:
        for i in range(count):
            f.write(b"Favorite page %d||http://fav%d.example/page\r\n" % (i, i))


def serve_asking_page():
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(ASKS)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            self.wfile.write(ASKS)

        def log_message(self, *_):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return "http://127.0.0.1:%d/asks" % server.server_address[1]


def status_name(rc):
    if rc is None:
        return "hung"
    if rc < 0:
        try:
            return "%d (%s)" % (rc, signal.Signals(-rc).name)
        except ValueError:
            return str(rc)
    return str(rc)


def one_run(args, kind, delay, index):
    with tempfile.TemporaryDirectory(prefix="lumeno-ss-") as home:
        env = dict(os.environ)
        for key, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                         ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "runtime")):
            os.makedirs(os.path.join(home, sub), mode=0o700)
            env[key] = os.path.join(home, sub)
        env["HOME"] = home
        env.pop("WAYLAND_DISPLAY", None)
        if args.display:
            env["QT_QPA_PLATFORM"] = "xcb"
            env["DISPLAY"] = args.display
        else:
            env["QT_QPA_PLATFORM"] = "offscreen"
            env["DISPLAY"] = ":%d" % (200 + index % 50)
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        if kind == "favs":
            shutil.copyfile(args.favorites_file, args.fav_path)
        elif os.path.exists(args.fav_path):
            os.remove(args.fav_path)
        if kind == "asks":
            os.makedirs(os.path.join(home, "config", "Lumeno2"))
            with open(os.path.join(home, "config", "Lumeno2", "Lumeno2.ini"), "w") as ini:
                ini.write("[Internet]\nHomePage=%s\n" % args.asking_page)
        err_path = os.path.join(home, "stderr.txt")
        with open(err_path, "wb") as err:
            started = time.monotonic()
            proc = subprocess.Popen([args.program], env=env, stdout=subprocess.DEVNULL,
                                    stderr=err, start_new_session=True)
            try:
                time.sleep(delay)
                sent = time.monotonic() - started
                if args.group:
                    os.killpg(proc.pid, signal.SIGTERM)
                else:
                    proc.send_signal(signal.SIGTERM)
                try:
                    rc = proc.wait(timeout=args.grace)
                except subprocess.TimeoutExpired:
                    rc = None
                took = time.monotonic() - started
            finally:
                # The program if it hangs, and what the engine's helpers left behind.
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait()
        kept = None
        if rc != 0:
            kept = os.path.join(args.out, "run%04d-%s-%s.stderr" % (index, kind, status_name(rc).split()[0]))
            shutil.copyfile(err_path, kept)
        return rc, sent, took, kept


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--bin", default=os.path.join(ROOT, "build", "lumeno"))
    p.add_argument("--runs", type=int, default=300)
    p.add_argument("--kinds", default="start,favs,asks", help="the kinds of run, taken in turn")
    p.add_argument("--favorites", type=int, default=100000, help="entries of the large favorites file")
    p.add_argument("--early", type=float, default=1.5, help="a third of the signals come within this (s)")
    p.add_argument("--late", type=float, default=8.0, help="the others within this (s)")
    p.add_argument("--grace", type=float, default=40.0, help="time to end after the signal (s)")
    p.add_argument("--load", type=int, default=os.cpu_count() or 2, help="busy processes beside the runs")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--xvfb", action="store_true", help="run on a private Xvfb display (xcb) instead of offscreen")
    p.add_argument("--group", action="store_true",
                   help="send the signal to the whole process group (the engine's processes too), "
                        "as timeout(1) and the end of a session do")
    p.add_argument("--out", default=os.path.join(HERE, "results", "start_stop"))
    args = p.parse_args()
    kinds = args.kinds.split(",")

    # Stopped from outside, it still stops its load, its display and the run under way.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    os.makedirs(args.out, exist_ok=True)
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="lumeno-ss-prog-")
    args.program = os.path.join(work, "lumeno")
    shutil.copy2(args.bin, args.program)
    readme = os.path.join(os.path.dirname(args.bin), "readme.txt")
    if os.path.exists(readme):
        shutil.copy2(readme, work)
    args.fav_path = os.path.join(work, user_name() + ".fav")
    args.favorites_file = os.path.join(work, "favorites.src")
    write_favorites(args.favorites_file, args.favorites)
    args.asking_page = serve_asking_page()

    args.display = None
    xvfb = None
    if args.xvfb:
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            args.display = ":" + f.readline().strip()

    loaders = [multiprocessing.Process(target=busy, daemon=True) for _ in range(args.load)]
    for l in loaders:
        l.start()
    counts = collections.Counter()
    by_kind = collections.Counter()
    began = time.monotonic()
    bad = 0
    try:
        for i in range(args.runs):
            kind = kinds[i % len(kinds)]
            delay = rng.uniform(0.0, args.early if rng.random() < 1 / 3 else args.late)
            rc, sent, took, kept = one_run(args, kind, delay, i)
            counts[status_name(rc)] += 1
            by_kind[(kind, status_name(rc))] += 1
            print("run %d/%d: %s, signal at %.2f s, status %s, ended after %.2f s"
                  % (i + 1, args.runs, kind, sent, status_name(rc), took), flush=True)
            if kept:
                bad += 1
                with open(kept, errors="replace") as f:
                    tail = [line for line in f.read().splitlines() if line.strip()][-6:]
                for t in tail:
                    print("    | " + t, flush=True)
    finally:
        for l in loaders:
            l.terminate()
        if xvfb:
            xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)

    print("\n%d runs of %s in %.0f s, %d busy processes beside them, %s, signal to the %s" % (
        args.runs, args.bin, time.monotonic() - began, args.load,
        "Xvfb " + args.display if args.display else "offscreen", "process group" if args.group else "program"))
    for name, n in sorted(counts.items()):
        print("  exit status %s: %d" % (name, n))
    for kind in kinds:
        print("  %-6s %s" % (kind + ":", ", ".join("%s: %d" % (name, n) for (k, name), n in sorted(by_kind.items())
                                                   if k == kind)))
    if bad:
        print("stderr of the runs that did not end with 0: %s" % args.out)
    return 0 if not bad else 1


if __name__ == "__main__":
    sys.exit(main())
