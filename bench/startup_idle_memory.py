#!/usr/bin/env python3
"""Start-up, idle CPU and memory of Lumeno (Python 3 stdlib; Linux, Xvfb, xdotool; root
for the PSS of every process of the tree).

One full run of one configuration (binary + QTWEBENGINE_CHROMIUM_FLAGS):
  1. fresh HOME / XDG_* dirs, private dbus-daemon; Lumeno2.ini gets
     [Internet] HomePage=http://127.0.0.1:PORT/page?r=TOKEN&k=seq (served by
     peer/bench.py's loopback server: a static page whose onload sends a beacon);
  2. start-up = spawn -> first beacon (ms);
  3. --settle s (3) after the load: PSS of the process tree (sum of Pss: in
     /proc/PID/smaps_rollup), footprint (distinct physical pages), processes,
     renderers; --idle-settle s (10) after the load: idle CPU over --idle s (10);
  4. Ctrl+N (xdotool, to the host window) after each load until 5, then 10 windows
     are loaded; PSS at each --windows count, idle CPU with 10 windows, timed from
     the last window's load as in 3;
  5. the process group is ended (TERM, then KILL).
Quick runs (--startup-runs) do only 1-2, so that start-up has more samples.
Another program that maps the same libraries (a Qt test suite, say) lowers the PSS
measured and loads the CPU: before each run the script waits up to --quiet-wait s for quiet, and it
records such programs; the table leaves PSS samples taken beside one out.
Idle CPU is the CPU time of every thread of the tree (/proc/PID/task/TID/schedstat,
ns) over the window, as % of one core; "wakeups/s" counts how often those threads were
put on a CPU. Configurations are run round-robin (A B C A B C ...).

  bench/build.sh                                   # private builds in /tmp
  python3 bench/startup_idle_memory.py             # the program as committed
  python3 bench/startup_idle_memory.py --flags '--disable-gpu --renderer-process-limit=2'
  python3 bench/startup_idle_memory.py --models    # the process-model comparison
  python3 bench/startup_idle_memory.py --models --sites distinct   # 10 different sites
  python3 bench/startup_idle_memory.py --config 'mine /path/to/lumeno --disable-gpu'
  python3 bench/startup_idle_memory.py --history FILE --runs 0 --startup-runs 10
      # each configuration twice, round-robin: with an empty history, and with FILE
      # (bench_history fills one) as its browsing-data file
"""
import argparse
import json
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import time
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "peer"))
import bench as pb  # noqa: E402  (the loopback server, Xvfb, process tree, PSS)

HEAD_BIN = "/tmp/lumeno-bench-build/lumeno"  # bench/build.sh builds it there
BASE_FLAGS = "--disable-gpu"

# name, binary, QTWEBENGINE_CHROMIUM_FLAGS, what it is
MODELS = [
    ("process-per-site", HEAD_BIN, BASE_FLAGS + " --process-per-site",
     "one renderer per site"),
    ("per-site-instance", HEAD_BIN, BASE_FLAGS,
     "as committed: Chromium's default, one renderer per window"),
    ("limit=1", HEAD_BIN, BASE_FLAGS + " --renderer-process-limit=1",
     "default model, at most 1 renderer"),
    ("limit=2", HEAD_BIN, BASE_FLAGS + " --renderer-process-limit=2",
     "default model, at most 2 renderers"),
    ("limit=4", HEAD_BIN, BASE_FLAGS + " --renderer-process-limit=4",
     "default model, at most 4 renderers"),
]


def entry_for(binary, flags, env=(), history=None):
    with open(os.path.join(HERE, "peer", "browsers.json")) as f:
        entry = dict(json.load(f)["lumeno"])
    entry["cmd"] = [binary]
    entry["env"] = {"QTWEBENGINE_DISABLE_SANDBOX": "1", "QTWEBENGINE_CHROMIUM_FLAGS": flags}
    entry["env"].update(e.split("=", 1) for e in env)
    if history:
        # the browsing-data file the program opens at start (Database::defaultPath)
        # after the home page is set, which the entry's own setup does
        entry["setup"] = (entry["setup"] + ' && mkdir -p "$XDG_DATA_HOME/Lumeno2/Lumeno2" && cp '
                          + shlex.quote(history) + ' "$XDG_DATA_HOME/Lumeno2/Lumeno2/Browsing.sqlite"')
    return entry


# ----------------------------------------------------------------------- process tree
def cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            # a renderer rewrites its title into one space-separated string
            return f.read().replace(b"\0", b" ").split()
    except OSError:
        return []


def roles(run, procs):
    """pid -> browser | zygote | renderer | <--type> | other."""
    out = {}
    for pid, st in procs.items():
        args = cmdline(pid)
        typ = next((a[7:].decode() for a in args if a.startswith(b"--type=")), None)
        if pid == run.proc.pid:
            out[pid] = "browser"
        elif typ == "zygote":
            parent_typ = next((a[7:] for a in cmdline(st[0]) if a.startswith(b"--type=")), None)
            out[pid] = "renderer" if parent_typ == b"zygote" else "zygote"
        elif typ:
            out[pid] = typ
        else:
            out[pid] = "other"
    return out


def memory(run):
    procs = run.procs()
    r = roles(run, procs)
    by_role = {}
    for pid in procs:
        pss, _ = pb.pss_kb([pid])
        by_role[r[pid]] = by_role.get(r[pid], 0) + pss
    pss, rss = pb.pss_kb(procs)
    return {"pss_mb": round(pss / 1024, 1), "rss_mb": round(rss / 1024, 1),
            "footprint_mb": round(pb.footprint_kb(procs) / 1024, 1),
            "procs": len(procs), "renderers": sum(1 for v in r.values() if v == "renderer"),
            "pss_by_role_mb": {k: round(v / 1024, 1) for k, v in sorted(by_role.items())},
            "foreign_engine_procs": len(pb.engine_procs(set(procs)))}


def thread_times(procs, r):
    """(pid, tid) -> (role, thread name, run ns, timeslices)."""
    out = {}
    for pid in procs:
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            try:
                with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                    ns, _, slices = (int(x) for x in f.read().split())
                with open(f"/proc/{pid}/task/{tid}/comm") as f:
                    name = f.read().strip()
            except (OSError, ValueError):
                continue
            out[(pid, int(tid))] = (r.get(pid, "?"), name, ns, slices)
    return out


def idle(run, secs, xvfb_pid):
    """CPU of the whole tree over secs: % of one core (ns), per role, wakeups/s,
    busiest threads; plus the classic tick count (utime+stime) and Xvfb's CPU."""
    def xticks():
        st = pb.read_stat(xvfb_pid) if xvfb_pid else None
        return st[2] if st else 0
    procs = run.procs()
    r = roles(run, procs)
    foreign = len(pb.engine_procs(set(procs)))
    first = thread_times(procs, r)
    ticks0 = {(p, st[3]): st[2] for p, st in procs.items()}
    b0, s0 = pb.cpu_busy_ticks(), sum(os.times()[:2])
    x0, t0 = xticks(), time.monotonic()
    last, ticks1 = dict(first), dict(ticks0)
    while True:   # sample so that threads and processes born in the window are seen
        time.sleep(min(0.5, max(0.0, secs - (time.monotonic() - t0))))
        procs = run.procs()
        r.update(roles(run, {p: s for p, s in procs.items() if p not in r}))
        now = thread_times(procs, r)
        for k, v in now.items():
            first.setdefault(k, (v[0], v[1], 0, 0))
            last[k] = v
        for p, st in procs.items():
            ticks0.setdefault((p, st[3]), 0)
            ticks1[(p, st[3])] = st[2]
        if time.monotonic() - t0 >= secs:
            break
    el = time.monotonic() - t0
    b1, s1 = pb.cpu_busy_ticks(), sum(os.times()[:2])
    x1 = xticks()
    ns = slices = 0
    per_role, per_thread = {}, {}
    for k, (role, name, n1, s1) in last.items():
        d_ns, d_sl = n1 - first[k][2], s1 - first[k][3]
        ns += d_ns
        slices += d_sl
        per_role[role] = per_role.get(role, 0) + d_ns
        tk = f"{role}:{name}"
        a = per_thread.setdefault(tk, [0, 0])
        a[0] += d_ns
        a[1] += d_sl
    ticks = sum(ticks1[k] - ticks0[k] for k in ticks1)
    # the rest of the machine: all busy CPU less the tree, Xvfb and this script
    other = (100.0 * (b1 - b0 - ticks - (x1 - x0)) / pb.CLK_TCK - 100.0 * (s1 - s0)) / el
    top = sorted(per_thread.items(), key=lambda kv: -kv[1][0])[:6]
    return {"cpu_pct": round(100.0 * ns / 1e9 / el, 3),
            "cpu_pct_ticks": round(100.0 * ticks / pb.CLK_TCK / el, 2),
            "wakeups_per_s": round(slices / el, 1),
            "cpu_pct_by_role": {k: round(100.0 * v / 1e9 / el, 3)
                                for k, v in sorted(per_role.items())},
            "top_threads": [f"{k} {100.0 * v[0] / 1e9 / el:.3f}% {v[1] / el:.1f}/s"
                            for k, v in top if v[0] > 0],
            "xvfb_cpu_pct": round(100.0 * (x1 - x0) / pb.CLK_TCK / el, 2),
            "other_cpu_pct": round(max(other, 0.0), 1),
            "foreign_engine_procs": max(foreign, len(pb.engine_procs(set(run.procs())))),
            "secs": round(el, 1)}


# ----------------------------------------------------------------------------- a run
def one_run(h, cfg, args, full):
    name, binary, flags = cfg[:3]
    tok = uuid.uuid4().hex[:12]
    home = h.url(tok, 1) + ("&sites=distinct" if args.sites == "distinct" else "")
    run = pb.Run(h, entry_for(binary, flags, args.env, cfg[4] if len(cfg) > 4 else None), [home], "remote")
    run.token = tok
    res = {"config": name, "kind": "full" if full else "startup", "flags": flags,
           "binary": binary, "sites": args.sites}
    with open("/proc/loadavg") as f:
        res["loadavg1"] = float(f.read().split()[0])
    t_start = time.monotonic()
    try:
        b0 = pb.cpu_busy_ticks()
        run.start()
        ok = h.beacons.wait(tok, 1, args.timeout, run.alive)
        t_load = time.monotonic()
        own = sum(st[2] for st in run.procs().values())
        res["startup_other_cpu_pct"] = round(max(0.0, 100.0 * (pb.cpu_busy_ticks() - b0 - own)
                                                 / pb.CLK_TCK / (t_load - run.t0)), 1)
        ev = h.beacons.get(tok, "loaded")
        if not ok:
            res["note"] = "no first load: " + ("program exited" if not run.alive()
                                               else f"timeout {args.timeout}s")
            return res
        res["startup_ms"] = round((min(e[0] for e in ev) - run.t0) * 1000)
        req = h.beacons.get(tok, "request")
        res["first_request_ms"] = round((min(e[0] for e in req) - run.t0) * 1000)
        if not full:
            return res
        res["windows"] = {}
        res["idle"] = {}
        res["new_window_ms"] = []
        top = max(args.windows + args.idle_at)
        for n in range(1, top + 1):
            if n > 1:
                t = time.monotonic()
                run.remote(run.urls[0])          # Ctrl+N to the host window
                if not h.beacons.wait(tok, n, args.timeout, run.alive):
                    res["note"] = (f"window {n} did not load: " +
                                   ("program exited" if not run.alive()
                                    else f"timeout {args.timeout}s"))
                    break
                ev = h.beacons.get(tok, "loaded")
                res["new_window_ms"].append(round((max(e[0] for e in ev) - t) * 1000))
            t_loaded = max(e[0] for e in h.beacons.get(tok, "loaded"))
            if n in args.windows or n in args.idle_at:
                time.sleep(max(0.0, t_loaded + args.settle - time.monotonic()))
                if not run.alive():
                    res["note"] = f"program exited with {n} windows open"
                    break
                if n in args.windows:
                    res["windows"][n] = memory(run)
                if n in args.idle_at and args.idle > 0:
                    time.sleep(max(0.0, t_loaded + args.idle_settle - time.monotonic()))
                    res["idle"][n] = idle(run, args.idle, run.xvfb_pid)
        res["requests"] = len(h.beacons.get(tok, "request"))
        res["x_windows"] = pb.count_windows(h.display)
        return res
    finally:
        run.stop()
        try:
            with open(os.path.join(run.dir, "browser.log"), "rb") as f:
                tail = f.read()[-600:].decode("utf-8", "replace")
            if tail.strip():
                res["log_tail"] = tail
        except OSError:
            pass
        res["wall_s"] = round(time.monotonic() - t_start, 1)


# ------------------------------------------------------------------------- summaries
def mmm(v, nd=0):
    v = [x for x in v if x is not None]
    if not v:
        return "–"
    f = (lambda x: f"{x:.{nd}f}")
    if len(v) == 1:
        return f(v[0]) + " (n=1)"
    return f"{f(statistics.median(v))} ({f(min(v))}–{f(max(v))}, n={len(v)})"


def not_alone(r):
    """Another engine program ran (PSS lowered) or the machine was busy (start-up)."""
    return (r.get("quiet_before") is False or r.get("startup_other_cpu_pct", 0) > 50 or
            any(m.get("foreign_engine_procs") for m in r.get("windows", {}).values()) or
            any(i.get("foreign_engine_procs") for i in r.get("idle", {}).values()))


def summary(cfgs, results, args):
    lines = []
    hdr = ["config", "flags (QTWEBENGINE_CHROMIUM_FLAGS)", "start-up ms"]
    hdr += [f"PSS {n} win MB" for n in args.windows]
    hdr += [f"footprint {n} win MB" for n in args.windows]
    hdr += [f"procs (renderers) {n} win" for n in args.windows]
    hdr += [f"idle CPU % {n} win" for n in args.idle_at]
    hdr += [f"wakeups/s {n} win" for n in args.idle_at]
    hdr += ["Ctrl+N→loaded ms", "failed runs", "runs not alone"]
    lines.append("| " + " | ".join(hdr) + " |")
    lines.append("|" + "---|" * len(hdr))
    for cfg in cfgs:
        rs = [r for r in results if r["config"] == cfg[0]]
        full = [r for r in rs if r["kind"] == "full"]
        row = [cfg[0], f"`{cfg[2]}`",
               mmm([r.get("startup_ms") for r in rs])]
        for n in args.windows:
            ms = [r["windows"][n] for r in full if n in r.get("windows", {})]
            alone = [m for m in ms if not m["foreign_engine_procs"]]
            cell = mmm([m["pss_mb"] for m in (alone or ms)], 1)
            if len(alone) < len(ms):
                cell += (f", {len(ms) - len(alone)} not alone left out" if alone
                         else " NOT ALONE (lowered)")
            row.append(cell)
        for n in args.windows:
            row.append(mmm([r["windows"][n]["footprint_mb"] for r in full
                            if n in r.get("windows", {})], 1))
        for n in args.windows:
            p = sorted({(r["windows"][n]["procs"], r["windows"][n]["renderers"])
                        for r in full if n in r.get("windows", {})})
            row.append(", ".join(f"{a} ({b})" for a, b in p) or "–")
        for n in args.idle_at:
            row.append(mmm([r["idle"][n]["cpu_pct"] for r in full if n in r.get("idle", {})], 2))
        for n in args.idle_at:
            row.append(mmm([r["idle"][n]["wakeups_per_s"] for r in full
                            if n in r.get("idle", {})], 0))
        row.append(mmm([x for r in full for x in r.get("new_window_ms", [])]))
        row.append(str(sum(1 for r in rs if r.get("note"))))
        row.append(str(sum(1 for r in rs if not_alone(r))))
        lines.append("| " + " | ".join(row) + " |")
    return "\n".join(lines) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--bin", default=HEAD_BIN, help="the program (default: bench/build.sh's)")
    ap.add_argument("--flags", default=BASE_FLAGS,
                    help="QTWEBENGINE_CHROMIUM_FLAGS for --bin; default %(default)s")
    ap.add_argument("--name", default=None, help="label of the --bin/--flags configuration")
    ap.add_argument("--env", action="append", default=[], metavar="K=V",
                    help="extra environment for the program, every configuration")
    ap.add_argument("--models", action="store_true",
                    help="run the process-model set instead: " +
                         "; ".join(f"{m[0]}: {m[3]}" for m in MODELS))
    ap.add_argument("--only", help="with --models: comma-separated names to keep")
    ap.add_argument("--sites", choices=("same", "distinct"), default="same",
                    help="same: every window shows the same page (the home page); "
                         "distinct: window k is redirected to a site of its own, "
                         "http://127.0.0.(k+1):PORT/ (default %(default)s)")
    ap.add_argument("--config", action="append", metavar="'NAME BIN FLAGS...'",
                    help="a configuration as one string: label, binary, then the "
                         "QTWEBENGINE_CHROMIUM_FLAGS (repeatable; replaces --bin/--flags, "
                         "adds to --models)")
    ap.add_argument("--runs", type=int, default=3, help="full runs per configuration")
    ap.add_argument("--startup-runs", type=int, default=3,
                    help="extra start-up-only runs per configuration")
    ap.add_argument("--warmup", type=int, default=1, help="unrecorded start-up runs first")
    ap.add_argument("--windows", default="1,5,10", help="window counts for PSS")
    ap.add_argument("--idle-at", default=None,
                    help="window counts for idle CPU (default 1,10; none with --models)")
    ap.add_argument("--idle", type=float, default=10.0, help="idle CPU window, s")
    ap.add_argument("--settle", type=float, default=3.0,
                    help="s after the last load before PSS (as peer/bench.py)")
    ap.add_argument("--idle-settle", type=float, default=10.0,
                    help="s after the last load before the idle window: a renderer keeps "
                         "working for some seconds after onload")
    ap.add_argument("--cooldown", type=float, default=3.0, help="sync + sleep before each run")
    ap.add_argument("--timeout", type=float, default=60.0, help="s to wait for one load")
    ap.add_argument("--quiet-wait", type=float, default=30.0,
                    help="before each run wait up to this many s until no other program "
                         "maps an engine library and the machine is idle (0: off)")
    ap.add_argument("--display", help="an existing X display instead of a private Xvfb")
    ap.add_argument("--no-dbus", dest="dbus", action="store_false")
    ap.add_argument("--tmp", default="/tmp")
    ap.add_argument("--keep", action="store_true", help="keep the per-run dirs")
    ap.add_argument("--out", help="write all runs as JSON here")
    ap.add_argument("--md", help="write the summary table here")
    ap.add_argument("--history", metavar="FILE",
                    help="each configuration also with FILE as its history (browsing-data file)")
    args = ap.parse_args()
    args.windows = [int(x) for x in args.windows.split(",") if x]
    if args.idle_at is None:
        args.idle_at = "" if args.models else "1,10"
    args.idle_at = [int(x) for x in args.idle_at.split(",") if x]
    args.footprint = False

    cfgs = []
    if args.models:
        keep = set(args.only.split(",")) if args.only else None
        cfgs = [m for m in MODELS if keep is None or m[0] in keep]
    elif not args.config:
        cfgs = [(args.name or ("as committed" if args.flags == BASE_FLAGS else "custom"),
                 args.bin, args.flags, "")]
    for c in args.config or []:
        parts = c.split()
        if len(parts) < 2:
            sys.exit(f"--config {c!r}: NAME BIN [FLAGS...]")
        cfgs.append((parts[0], parts[1], " ".join(parts[2:]), ""))
    if args.history:
        if not os.path.isfile(args.history):
            sys.exit(f"{args.history} missing: fill one with build/bench/bench_history 100000 1 FILE")
        cfgs = [x for c in cfgs for x in ((c[0] + ", empty history",) + tuple(c[1:4]),
                                          (c[0] + ", history of FILE",) + tuple(c[1:4]) + (args.history,))]
    for c in cfgs:
        if not os.access(c[1], os.X_OK):
            sys.exit(f"{c[1]} missing: run bench/build.sh first")
    if args.runs > 0 and not shutil.which("xdotool"):
        sys.exit("xdotool missing (apt-get install xdotool): it sends Ctrl+N")

    plan = ([("warmup", False)] * args.warmup + [("full", True)] * args.runs +
            [("startup", False)] * args.startup_runs)
    est = sum((6 + args.cooldown) if not f else
              (len(args.idle_at) * (args.idle + args.idle_settle) + 3 * args.settle + 10
               + args.cooldown) for _, f in plan) * len(cfgs)
    pb.log(f"{len(cfgs)} configuration(s) x {len(plan)} runs, about {est / 60:.0f} min")
    h = pb.Harness(args)
    extra = []
    if args.sites == "distinct":
        # window k is redirected to http://127.0.0.(k+1):PORT/...: each its own site
        ports = {}
        for k in range(1, max(args.windows + args.idle_at) + 1):
            srv = pb.make_server(h.beacons, f"127.0.0.{k + 1}")
            extra.append(srv)
            ports[str(k)] = srv.server_address[1]
        h.beacons.redirect = (lambda r, k: f"http://127.0.0.{int(k) + 1}:{ports[k]}"
                              f"/page?r={r}&k={k}")
    results = []
    t0 = time.monotonic()
    try:
        for kind, full in plan:
            for cfg in cfgs:
                if args.cooldown > 0:
                    os.sync()
                    time.sleep(args.cooldown)
                waited, quiet = (pb.wait_quiet(args.quiet_wait) if args.quiet_wait > 0
                                 else (0.0, None))
                r = one_run(h, cfg, args, full)
                r["quiet_wait_s"], r["quiet_before"] = waited, quiet
                brief = {k: r[k] for k in ("startup_ms", "note") if k in r}
                if not_alone(r):
                    brief["not_alone"] = True
                for n, m in r.get("windows", {}).items():
                    brief[f"pss{n}"] = m["pss_mb"]
                    brief[f"procs{n}"] = m["procs"]
                for n, i in r.get("idle", {}).items():
                    brief[f"idle{n}"] = i["cpu_pct"]
                pb.log(cfg[0], kind, brief, f"{r['wall_s']}s")
                if kind != "warmup":
                    results.append(r)
    finally:
        h.close()
        for srv in extra:
            srv.shutdown()
    total = round(time.monotonic() - t0, 1)
    table = summary(cfgs, results, args)
    with open("/proc/cpuinfo") as f:
        cpu = next((ln.split(":", 1)[1].strip() for ln in f if ln.startswith("model name")), "?")
    ver = {}
    for c in cfgs:
        try:
            with open(os.path.join(os.path.dirname(c[1]), "bench-version.txt")) as f:
                ver[c[0]] = f.read().strip()
        except OSError:
            ver[c[0]] = c[1]
    machine = (f"{os.cpu_count()} CPU ({cpu}), "
               f"{os.sysconf('SC_PAGE_SIZE') * os.sysconf('SC_PHYS_PAGES') / 2**30:.0f} GiB, "
               f"kernel {os.uname().release}; total {total / 60:.1f} min")
    print(table)
    shows = ("windows show: " + ("each its own site (127.0.0.k+1)" if args.sites == "distinct"
                                 else "the same page"))
    print(shows)
    print("builds: " + "; ".join(f"{k}: {v}" for k, v in ver.items()))
    print("machine: " + machine)
    if args.out:
        with open(args.out, "w") as f:
            json.dump({"args": vars(args), "configs": cfgs, "versions": ver,
                       "machine": machine, "total_s": total, "runs": results}, f, indent=1)
    if args.md:
        with open(args.md, "w") as f:
            f.write(table + f"\n{shows}; builds: " + "; ".join(f"{k}: {v}" for k, v in ver.items())
                    + f"; machine: {machine}\n")


if __name__ == "__main__":
    main()
