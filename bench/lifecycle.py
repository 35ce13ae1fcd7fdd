#!/usr/bin/env python3
"""What windows out of sight cost: idle CPU and PSS of Lumeno's process tree with N windows
of a page that animates with requestAnimationFrame, and of Debian's Chromium with N tabs of
the same page (Python 3 stdlib; Linux, Xvfb, xdotool; root for the PSS of every process).

Lumeno, for each N of --counts (one run each, in a fresh HOME, on a private Xvfb of
--screen size that the host nearly fills, so that 50 cascaded windows each keep a part
in sight):
  1. Lumeno2.ini: [Internet] HomePage = the animated page (k=seq: the server numbers the
     page requests, so window n beacons k=n); [Options] FreezeAfterSeconds and
     DiscardAfterMinutes from --freeze-seconds / --discard-minutes, the host's size;
  2. Ctrl+N after each load until N windows are loaded (cascaded, all visible);
     "visible": --settle s after the last load, PSS of the tree, then idle CPU over --idle s;
  3. N > 1: Ctrl+M (Window > Minimize, the window in front) N-1 times, leaving the first
     window; "minimized": --freeze-seconds + --settle s later, PSS and idle CPU;
  4. "discarded": once the discard time has passed since the freeze (+ --settle s),
     PSS and idle CPU; page requests seen since step 3 are reported (a discarded window
     that loads again asks the server for its page).
  With N written "Nm" (say 50m) each window but the first is minimized as soon as it has
  loaded, instead of 2. and 3.: N animating windows in sight at once saturate 2 cores.
Chromium, for each N of --chromium-counts: the N pages as N tabs of one window on the
command line (the first tab is in front, the others hidden); "visible" as 2. above, and
"later" the same time after as Lumeno's "discarded" (Chromium has no such timer here).
Idle CPU and PSS are startup_idle_memory.py's (CPU time of every thread of the tree over
the window, % of one core; PSS of each process of the tree, summed).

  bench/build.sh                       # private build of HEAD in /tmp/lumeno-bench-build
  python3 bench/lifecycle.py           # 1, 10, 50m, 1 windows; Chromium 1 and 50 tabs
  python3 bench/lifecycle.py --bin build/lumeno --counts 10 --no-chromium
"""
import argparse
import http.server
import json
import os
import socketserver
import subprocess
import sys
import threading
import time
import urllib.parse
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "peer"))
sys.path.insert(0, HERE)
import bench as pb  # noqa: E402  (Xvfb, loopback beacons, process tree, PSS)
import startup_idle_memory as sim  # noqa: E402  (memory(), idle())

ANIM = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Animated page {k}</title>
<style>body{{font-family:sans-serif;margin:2em}}
#box{{width:60px;height:60px;background:#36c;position:relative}}</style></head>
<body><h1>Animated page {k}</h1><div id="box"></div><p id="n">0</p>
<script>
var n = 0, box = document.getElementById('box'), out = document.getElementById('n');
function frame(t) {{
  n++;
  box.style.left = (100 + 100 * Math.sin(t / 500)) + 'px';
  if (n % 30 === 0) out.textContent = n;
  requestAnimationFrame(frame);
}}
requestAnimationFrame(frame);
window.addEventListener('load', function () {{
  fetch('/loaded?r={r}&k={k}&nav=' + Math.round(performance.now()), {{cache: 'no-store'}});
}});
</script></body></html>
"""

CHROMIUM = ["chromium", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--password-store=basic", "--user-data-dir={profile}/chromium-profile"]

FIND_HOST = "xdotool search --onlyvisible --name '^Lumeno 2[.]0$' | head -n 1"
KEYS = "xdotool windowfocus --sync {win} && xdotool key --clearmodifiers --delay 150 {keys}"


def make_server(beacons):
    """/anim (numbered by token with k=seq, like peer/bench.py's /page) and /loaded."""
    class H(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *a):
            pass

        def _send(self, code, body=b""):
            self.send_response(code)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            if body:
                self.wfile.write(body)

        def do_GET(self):
            u = urllib.parse.urlsplit(self.path)
            q = {k: v[-1] for k, v in urllib.parse.parse_qs(u.query).items()}
            r, k = q.get("r", ""), q.get("k", "1")
            if u.path == "/anim":
                if k == "seq":
                    k = q["k"] = str(beacons.next_seq(r))
                beacons.add(r, "request", q)
                self._send(200, ANIM.format(r=r, k=k).encode())
            elif u.path == "/loaded":
                beacons.add(r, "loaded", q)
                self._send(204)
            else:
                self._send(404)

    class S(socketserver.ThreadingMixIn, http.server.HTTPServer):
        daemon_threads = True
        allow_reuse_address = True

    srv = S(("127.0.0.1", 0), H)
    threading.Thread(target=srv.serve_forever, daemon=True).start()
    return srv


class Bench:
    def __init__(self, args):
        self.args = args
        try:  # orphaned descendants of the browsers re-parent to us, so we can reap them
            import ctypes
            ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
        except Exception:
            pass
        self.beacons = pb.Beacons()
        self.srv = make_server(self.beacons)
        self.port = self.srv.server_address[1]
        self.xvfb, self.display = pb.start_xvfb(args.display, args.screen)
        self.xvfb_pid = self.xvfb.pid if self.xvfb else None
        pb.log(f"server http://127.0.0.1:{self.port}  display {self.display}")

    def url(self, token, k):
        return f"http://127.0.0.1:{self.port}/anim?r={token}&k={k}"

    def close(self):
        if self.xvfb:
            pb.kill_group(self.xvfb.pid, self.xvfb)
        self.srv.shutdown()

    def measure(self, run, label, out):
        if not run.alive():
            out[label] = {"note": "program exited"}
            return
        m = sim.memory(run)
        m["idle"] = sim.idle(run, self.args.idle, self.xvfb_pid)
        out[label] = m
        pb.log(f"  {label}: PSS {m['pss_mb']} MB, {m['procs']} procs ({m['renderers']} renderers), "
               f"idle CPU {m['idle']['cpu_pct']} %, {m['idle']['wakeups_per_s']} wakeups/s")

    def wait_loads(self, tok, n, run):
        return self.beacons.wait(tok, n, self.args.timeout, run.alive)

    def last_load(self, tok):
        return max(e[0] for e in self.beacons.get(tok, "loaded"))

    def lumeno(self, n, minimize_as_opened=False):
        a = self.args
        tok = uuid.uuid4().hex[:12]
        home = self.url(tok, "seq")
        sw, sh = (int(x) for x in a.screen.split("x"))
        host_w, host_h = sw - 20, sh - 40
        entry = {
            "cmd": [a.bin],
            "setup": ("mkdir -p \"$XDG_CONFIG_HOME/Lumeno2\" && printf '[Internet]\\nHomePage=%s\\n"
                      "[Options]\\nFreezeAfterSeconds=%s\\nDiscardAfterMinutes=%s\\n"
                      "MainWindowWidth=%s\\nMainWindowHeight=%s\\n' \"$BENCH_URL\" "
                      f"{a.freeze_seconds} {a.discard_minutes} {host_w * 15} {host_h * 15} "
                      "> \"$XDG_CONFIG_HOME/Lumeno2/Lumeno2.ini\""),
            "env": {"QTWEBENGINE_DISABLE_SANDBOX": "1", "QTWEBENGINE_CHROMIUM_FLAGS": a.flags},
            "multi": "remote",
        }
        run = pb.Run(self, entry, [home], "remote")
        run.token = tok
        res = {"program": "lumeno", "windows": n, "binary": a.bin, "flags": a.flags,
               "minimized_as_opened": minimize_as_opened}
        def keys(win, k):
            # A busy X server can be slow to answer; the result is checked by the caller.
            subprocess.run(["sh", "-c", KEYS.format(win=win, keys=k)], env=run.env_used,
                           stdout=run.logf, stderr=run.logf, timeout=120)
        try:
            run.start()
            win = ""
            for k in range(1, n + 1):
                if k > 1:
                    # Ctrl+N to the host; once more if no page came (a key lost under load).
                    for attempt in range(2):
                        keys(win, "ctrl+n")
                        if self.beacons.wait(tok, k, a.timeout / 2, run.alive):
                            break
                if not self.wait_loads(tok, k, run):
                    res["note"] = f"window {k} did not load"
                    return res
                if not win:
                    win = subprocess.run(["sh", "-c", FIND_HOST], env=run.env_used,
                                         capture_output=True, text=True).stdout.strip()
                    if not win:
                        res["note"] = "host window not found"
                        return res
                if k > 1 and minimize_as_opened:
                    keys(win, "ctrl+m")
            pb.log(f"lumeno: {n} windows loaded")
            t_min = time.monotonic()
            if n == 1 or not minimize_as_opened:
                time.sleep(max(0.0, self.last_load(tok) + a.settle - time.monotonic()))
                self.measure(run, "visible", res)
            if n == 1:
                return res
            before = len(self.beacons.get(tok, "request"))
            if not minimize_as_opened:
                keys(win, " ".join(["ctrl+m"] * (n - 1)))
                t_min = time.monotonic()
            time.sleep(a.freeze_seconds + a.settle)
            self.measure(run, "minimized", res)
            time.sleep(max(0.0, t_min + a.freeze_seconds + a.discard_minutes * 60 + a.settle
                           - time.monotonic()))
            self.measure(run, "discarded", res)
            res["requests_after_minimize"] = len(self.beacons.get(tok, "request")) - before
            return res
        finally:
            run.stop()

    def chromium(self, n):
        a = self.args
        tok = uuid.uuid4().hex[:12]
        urls = [self.url(tok, k) for k in range(1, n + 1)]
        entry = {"cmd": CHROMIUM + ["{urls}"], "multi": "args"}
        run = pb.Run(self, entry, urls, "args")
        run.token = tok
        res = {"program": "chromium", "tabs": n}
        try:
            run.start()
            if not self.wait_loads(tok, n, run):
                res["note"] = "not every tab loaded"
                got = {e[2].get("k") for e in self.beacons.get(tok, "loaded")}
                res["loaded"] = len(got)
            pb.log(f"chromium: {n} tabs loaded")
            time.sleep(max(0.0, self.last_load(tok) + a.settle - time.monotonic()))
            self.measure(run, "visible", res)
            if n > 1:
                time.sleep(a.freeze_seconds + a.discard_minutes * 60)
                self.measure(run, "later", res)
            return res
        finally:
            run.stop()


def table(results):
    rows = ["| program | windows/tabs | phase | PSS MB | procs (renderers) | idle CPU % of a core "
            "| wakeups/s | page requests since minimizing | rest of the machine, CPU % |",
            "|---|---|---|---|---|---|---|---|---|"]
    for r in results:
        for phase in ("visible", "minimized", "discarded", "later"):
            m = r.get(phase)
            if not m or "pss_mb" not in m:
                continue
            count = r.get('windows', r.get('tabs'))
            if r.get("minimized_as_opened"):
                count = f"{count} (minimized as opened)"
            # Another program mapping the engine's libraries lowers the PSS measured.
            foreign = max(m["foreign_engine_procs"], m["idle"]["foreign_engine_procs"])
            pss = f"{m['pss_mb']}" + (f" (not alone: {foreign})" if foreign else "")
            rows.append(f"| {r['program']} | {count} | {phase} | "
                        f"{pss} | {m['procs']} ({m['renderers']}) | {m['idle']['cpu_pct']} | "
                        f"{m['idle']['wakeups_per_s']} | "
                        f"{r.get('requests_after_minimize', '') if phase == 'discarded' else ''} | "
                        f"{m['idle']['other_cpu_pct']} |")
        if r.get("note"):
            rows.append(f"| {r['program']} | {r.get('windows', r.get('tabs'))} | note | {r['note']} "
                        "| | | | | |")
    return "\n".join(rows) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--bin", default=sim.HEAD_BIN, help="the program (default: bench/build.sh's)")
    ap.add_argument("--flags", default=sim.BASE_FLAGS, help="QTWEBENGINE_CHROMIUM_FLAGS")
    ap.add_argument("--counts", default="1,10,50m,1",
                    help="Lumeno window counts ('' for none); N followed by m: each window but the "
                         "first is minimized (Ctrl+M) as soon as it has loaded, so the N windows "
                         "are never all in sight (no 'visible' phase)")
    ap.add_argument("--chromium-counts", default="1,50", help="Chromium tab counts ('' for none)")
    ap.add_argument("--no-chromium", dest="chromium_counts", action="store_const", const="")
    ap.add_argument("--freeze-seconds", type=float, default=5.0)
    ap.add_argument("--discard-minutes", type=float, default=3.0,
                    help="longer than opening the windows takes, so that 'minimized' sees none "
                         "discarded yet (default %(default)s)")
    ap.add_argument("--settle", type=float, default=10.0,
                    help="s after a load or a change before PSS and idle CPU are taken")
    ap.add_argument("--idle", type=float, default=10.0, help="idle CPU window, s")
    ap.add_argument("--timeout", type=float, default=180.0, help="s to wait for one load")
    ap.add_argument("--quiet-wait", type=float, default=30.0,
                    help="before each run wait up to this many s for no other engine program")
    ap.add_argument("--display", help="an existing X display instead of a private Xvfb")
    ap.add_argument("--screen", default="2560x1600",
                    help="private Xvfb screen; the host is made nearly as large (%(default)s)")
    ap.add_argument("--no-dbus", dest="dbus", action="store_false")
    ap.add_argument("--tmp", default="/tmp")
    ap.add_argument("--keep", action="store_true")
    ap.add_argument("--out", help="all runs as JSON")
    ap.add_argument("--md", help="the table as Markdown")
    ap.add_argument("--table", metavar="JSON", help="only print the table of a run saved with --out")
    args = ap.parse_args()
    if args.table:
        with open(args.table) as f:
            print(table(json.load(f)["runs"]))
        return
    args.footprint = False
    counts = [(int(x.rstrip("m")), x.endswith("m")) for x in args.counts.split(",") if x]
    ccounts = [int(x) for x in args.chromium_counts.split(",") if x]
    if counts and not os.access(args.bin, os.X_OK):
        sys.exit(f"{args.bin} missing: run bench/build.sh first")
    b = Bench(args)
    results = []
    try:
        plan = [("lumeno", n, m) for n, m in counts] + [("chromium", n, False) for n in ccounts]
        for prog, n, m in plan:
            os.sync()
            time.sleep(3)
            waited, quiet = pb.wait_quiet(args.quiet_wait) if args.quiet_wait > 0 else (0, None)
            r = b.lumeno(n, m) if prog == "lumeno" else b.chromium(n)
            r["quiet_before"] = quiet
            results.append(r)
    finally:
        b.close()
    t = table(results)
    print(t)
    if args.out:
        with open(args.out, "w") as f:
            json.dump({"args": vars(args), "runs": results}, f, indent=1)
    if args.md:
        with open(args.md, "w") as f:
            f.write(t)


if __name__ == "__main__":
    main()
