#!/usr/bin/env python3
"""Lumeno's side-by-side browser measurement harness (Python 3 stdlib only, Linux, X11/Xvfb).

The project's own harness, started from the shared peer-bench's bench.py and grown
since; what it changed is listed in bench/README.md ("Changes to the shared harness"):
  - a page URL with k=seq gets its k from the server: the n-th request of /page or
    /popup for a token is page k=n, so a program whose every window opens the same
    home page still sends beacons k=1..N;
  - each run records "requests", the number of page requests the server saw;
  - the browser definitions are called entries (option --entries for another file);
  - make_server() takes the address to listen on, and a page URL with sites=distinct
    is redirected to Beacons.redirect(token, k) when that is set (startup_idle_memory.py
    uses it for windows that each show a different site);
  - other programs that map an engine library (a WebEngine test suite, another
    browser) lower the PSS measured and load the CPU: before each run the harness
    waits up to --quiet-wait s for them to go, and each snapshot records how many
    there were ("foreign_engine_procs"; such runs are marked in the table).

For one browser definition it measures, on a private Xvfb display and a loopback HTTP
server:
  startup  spawn -> first onload beacon (ms), PSS of the process tree after load,
           idle CPU of the tree over --idle seconds (% of one core); --runs times,
           each with a fresh, empty HOME / XDG_* / profile dir.
  multi    N pages of the same URL (how: per-browser "multi" mode), PSS after all
           N beacons (or after --timeout).
  popup    a page whose onload calls window.open('about:blank') --popups times and
           then beacons with the number of non-null handles; reports top-level
           window count, process count, PSS and timings.

Browser definitions live in browsers.json (see README.md there); the way the URL
reaches the browser is a per-browser hook:
  "cmd":   argv template; an argv element "{urls}" expands to all page URLs, "{url}"
           inside an element is the first URL, "{profile}" the fresh per-run dir.
  "setup": optional shell snippet run (sh -c) before launch with the run's env
           (HOME, XDG_CONFIG_HOME, ...) plus BENCH_URL, BENCH_URLS (space separated),
           BENCH_N -- e.g. write a settings file whose home page is $BENCH_URL.
  "multi": "args"      -> all N URLs go into one command line ({urls});
           "remote"    -> cmd with the first URL, then after each load "remote_cmd"
                          (template with {url}) hands the next URL to the running
                          instance (e.g. falkon -u URL, chromium --new-window URL);
           "instances" -> N copies of cmd, one URL each, under one sh in one group;
           "setup"     -> one command, the setup snippet arranges N pages;
           "none"      -> skip the multi test.
  "env":   extra environment variables.

Each browser is started in its own session/process group (setsid) and ended with
kill(-PGID); stray processes carrying this run's BENCH_TOKEN in their environment
are ended by PID. Nothing outside 127.0.0.1 is contacted by the harness.
"""
import argparse
import array
import ctypes
import ctypes.util
import http.server
import json
import os
import shlex
import shutil
import signal
import socketserver
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
CLK_TCK = os.sysconf("SC_CLK_TCK")


def log(*a):
    print(time.strftime("%H:%M:%S"), *a, file=sys.stderr, flush=True)


# --------------------------------------------------------------------------- server
class Beacons:
    def __init__(self):
        self.cv = threading.Condition()
        self.events = {}      # token -> list of (t_monotonic, kind, params)
        self.seq = {}         # token -> page requests numbered so far (k=seq)
        self.redirect = None  # (token, k) -> URL of page k on a site of its own

    def add(self, token, kind, params):
        with self.cv:
            self.events.setdefault(token, []).append((time.monotonic(), kind, params))
            self.cv.notify_all()

    def next_seq(self, token):
        with self.cv:
            self.seq[token] = self.seq.get(token, 0) + 1
            return self.seq[token]

    def get(self, token, kind=None):
        with self.cv:
            return [e for e in self.events.get(token, []) if kind is None or e[1] == kind]

    def wait(self, token, n, timeout, alive=None):
        """Wait until n distinct 'loaded' beacons (distinct k) arrived for token."""
        end = time.monotonic() + timeout
        with self.cv:
            while True:
                ks = {e[2].get("k") for e in self.events.get(token, []) if e[1] == "loaded"}
                if len(ks) >= n:
                    return True
                left = end - time.monotonic()
                if left <= 0:
                    return False
                if alive is not None and not alive():
                    return False
                self.cv.wait(min(left, 0.25))


PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Bench page {k}</title>
<style>body{{font-family:sans-serif;margin:2em;max-width:40em}}</style></head>
<body><h1>Bench page {k}</h1>
<p>This is a static test page served by the measurement harness on 127.0.0.1.
It has a title, some text and no external resources. When the load event fires
it sends a beacon to <code>/loaded</code> so the harness knows the page finished loading.</p>
<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor
incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud
exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat.</p>
<ul><li>one</li><li>two</li><li>three</li></ul>
<script>
window.addEventListener('load', function () {{
  fetch('/loaded?r={r}&k={k}&nav=' + Math.round(performance.now()), {{cache: 'no-store'}});
}});
</script></body></html>
"""

POPUP_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Popup storm {k}</title></head>
<body><h1>Popup storm</h1><p>onload calls window.open('about:blank') {n} times.</p>
<script>
window.addEventListener('load', function () {{
  var opened = 0, errors = 0, t0 = performance.now();
  for (var i = 0; i < {n}; i++) {{
    try {{ if (window.open('about:blank')) opened++; }} catch (e) {{ errors++; }}
  }}
  var ms = Math.round(performance.now() - t0);
  fetch('/loaded?r={r}&k={k}&opened=' + opened + '&errors=' + errors + '&loopms=' + ms +
        '&nav=' + Math.round(performance.now()), {{cache: 'no-store'}});
}});
</script></body></html>
"""


def make_server(beacons, host="127.0.0.1"):
    class H(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *a):
            pass

        def _send(self, code, body=b"", ctype="text/html; charset=utf-8"):
            self.send_response(code)
            self.send_header("Content-Type", ctype)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            if body and self.command != "HEAD":
                self.wfile.write(body)

        def do_GET(self):
            u = urllib.parse.urlsplit(self.path)
            q = {k: v[-1] for k, v in urllib.parse.parse_qs(u.query).items()}
            r, k = q.get("r", ""), q.get("k", "1")
            if k == "seq" and u.path in ("/page", "/popup"):
                # one fixed URL for every window (a home page): the server numbers the
                # page requests of this token 1, 2, 3 ... and the page beacons that number
                k = q["k"] = str(beacons.next_seq(r))
            if u.path == "/page" and q.get("sites") == "distinct" and beacons.redirect:
                # page k moves to a site of its own (127.0.0.k+1): see beacons.redirect
                beacons.add(r, "request", q)
                self.send_response(302)
                self.send_header("Location", beacons.redirect(r, k))
                self.send_header("Content-Length", "0")
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
            elif u.path == "/page":
                beacons.add(r, "request", q)
                self._send(200, PAGE.format(r=r, k=k).encode())
            elif u.path == "/popup":
                beacons.add(r, "request", q)
                n = int(q.get("n", "1000"))
                self._send(200, POPUP_PAGE.format(r=r, k=k, n=n).encode())
            elif u.path == "/loaded":
                beacons.add(r, "loaded", q)
                self._send(204)
            else:
                self._send(404, b"not found", "text/plain")

        do_HEAD = do_GET

    class S(socketserver.ThreadingMixIn, http.server.HTTPServer):
        daemon_threads = True
        allow_reuse_address = True

    srv = S((host, 0), H)
    threading.Thread(target=srv.serve_forever, daemon=True).start()
    return srv


# --------------------------------------------------------------------------- /proc
def read_stat(pid):
    """-> (ppid, sid, ticks, starttime) or None."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            s = f.read().decode("latin-1")
    except OSError:
        return None
    rest = s[s.rfind(")") + 2:].split()
    # rest[0]=state, 1=ppid, 2=pgrp, 3=session, ... 11=utime, 12=stime, 19=starttime
    return int(rest[1]), int(rest[3]), int(rest[11]) + int(rest[12]), int(rest[19])


def has_token(pid, token):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return f"BENCH_TOKEN={token}".encode() in f.read()
    except OSError:
        return False


def all_pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def tree(root_sid, token, exclude=()):
    """Processes of one run: same session as the launched process, their descendants
    (by ppid) and anything carrying the run's BENCH_TOKEN. -> {pid: stat}"""
    stats = {}
    for p in all_pids():
        st = read_stat(p)
        if st:
            stats[p] = st
    mine = {p for p, st in stats.items() if st[1] == root_sid}
    changed = True
    while changed:
        changed = False
        for p, st in stats.items():
            if p not in mine and st[0] in mine:
                mine.add(p)
                changed = True
    me = os.getpid()
    for p in stats:
        if p not in mine and p != me and has_token(p, token):
            mine.add(p)
    return {p: stats[p] for p in mine if p not in exclude and p != me}


def pss_kb(pids):
    tot_pss = tot_rss = 0
    for p in pids:
        try:
            with open(f"/proc/{p}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        tot_pss += int(line.split()[1])
                    elif line.startswith("Rss:"):
                        tot_rss += int(line.split()[1])
        except OSError:
            pass
    return tot_pss, tot_rss


def comm(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return "?"


PFN_MASK = (1 << 55) - 1
PAGESZ = os.sysconf("SC_PAGE_SIZE")


def footprint_kb(pids):
    """Physical memory held by the tree: union of the physical pages (PFNs, from
    /proc/PID/pagemap; needs root) mapped by any process of the tree. Unlike the PSS
    sum it does not shrink when unrelated processes share the same libraries."""
    pfns = set()
    chunk = 1 << 16
    for p in pids:
        try:
            with open(f"/proc/{p}/smaps") as f:
                text = f.read()
            fd = os.open(f"/proc/{p}/pagemap", os.O_RDONLY)
        except OSError:
            continue
        try:
            rng = None
            for ln in text.splitlines():
                if ln[:1] in "0123456789abcdef" and "-" in ln.split(" ", 1)[0]:
                    rng = ln.split(" ", 1)[0]
                elif ln.startswith("Rss:") and rng:
                    if int(ln.split()[1]) > 0:
                        a, b = (int(x, 16) // PAGESZ for x in rng.split("-"))
                        pos = a
                        while pos < b:
                            n = min(chunk, b - pos)
                            try:
                                data = os.pread(fd, 8 * n, 8 * pos)
                            except OSError:
                                break
                            if data.count(0) != len(data):
                                arr = array.array("Q")
                                arr.frombytes(data)
                                pfns.update(e & PFN_MASK for e in arr if e >> 63)
                            pos += n
                    rng = None
        finally:
            os.close(fd)
    pfns.discard(0)  # PFN hidden (not root) -> metric unavailable
    return len(pfns) * PAGESZ // 1024


def reap_zombies():
    """The harness is a child subreaper: collect orphaned descendants that exited."""
    me = os.getpid()
    for p in all_pids():
        try:
            with open(f"/proc/{p}/stat", "rb") as f:
                s = f.read().decode("latin-1")
        except OSError:
            continue
        rest = s[s.rfind(")") + 2:].split()
        if rest[0] == "Z" and int(rest[1]) == me:
            try:
                os.waitpid(p, os.WNOHANG)
            except ChildProcessError:
                pass


def group_alive(pgid):
    for p in all_pids():
        try:
            with open(f"/proc/{p}/stat", "rb") as f:
                s = f.read().decode("latin-1")
        except OSError:
            continue
        rest = s[s.rfind(")") + 2:].split()
        if int(rest[2]) == pgid and rest[0] != "Z":
            return True
    return False


def cpu_busy_ticks():
    with open("/proc/stat") as f:
        v = [int(x) for x in f.readline().split()[1:]]
    return sum(v) - v[3] - v[4]   # all but idle and iowait


# Libraries of the engines and toolkits measured here. Another program on the machine
# that maps the same one (a Qt test suite, another browser) lowers the PSS of the tree
# measured, since PSS divides each shared page among all its users (a Qt Widgets program
# by ~8 MB, a Qt WebEngine one by ~60 MB), and it competes for the CPU; such runs are
# flagged and, with --quiet-wait, waited out.
ENGINE_LIBS = (b"libQt6WebEngineCore.so", b"libQt5WebEngineCore.so", b"libQt6Core.so",
               b"libQt5Core.so", b"libwebkit2gtk-", b"libgtk-3.so",
               b"/usr/lib/chromium/chromium")


def engine_procs(exclude=()):
    """PIDs outside `exclude` (and this harness) that map one of ENGINE_LIBS."""
    me, out = os.getpid(), []
    for p in all_pids():
        if p == me or p in exclude:
            continue
        try:
            with open(f"/proc/{p}/maps", "rb") as f:
                m = f.read()
        except OSError:
            continue
        if any(lib in m for lib in ENGINE_LIBS):
            out.append(p)
    return out


def wait_quiet(max_s, busy_pct=25.0):
    """Wait (at most max_s) until no other process maps an engine library and the
    machine is below busy_pct % of one core over 1 s. -> (waited s, quiet?)"""
    t0 = time.monotonic()
    while True:
        b0, s0 = cpu_busy_ticks(), sum(os.times()[:2])
        time.sleep(1.0)
        own = 100.0 * (sum(os.times()[:2]) - s0)
        busy = 100.0 * (cpu_busy_ticks() - b0) / CLK_TCK - own
        quiet = busy < busy_pct and not engine_procs()
        waited = time.monotonic() - t0
        if quiet or waited >= max_s:
            return round(waited, 1), quiet


# --------------------------------------------------------------------------- X11
class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


_xlib = None


def count_windows(display):
    """Viewable top-level (root child) windows, excluding override-redirect ones
    (menus/tooltips). Without a window manager these are the browser windows."""
    global _xlib
    try:
        if _xlib is None:
            _xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
            _xlib.XOpenDisplay.restype = ctypes.c_void_p
            _xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
            _xlib.XDefaultRootWindow.restype = ctypes.c_ulong
            _xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
            _xlib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                         ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                         ctypes.POINTER(ctypes.c_uint)]
            _xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                   ctypes.POINTER(XWindowAttributes)]
            _xlib.XFree.argtypes = [ctypes.c_void_p]
            _xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
            _xlib.XSetErrorHandler.argtypes = [ctypes.c_void_p]
            _xlib._handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p,
                                              ctypes.c_void_p)(lambda d, e: 0)
            _xlib.XSetErrorHandler(ctypes.cast(_xlib._handler, ctypes.c_void_p))
        d = _xlib.XOpenDisplay(display.encode())
        if not d:
            return None
        root = _xlib.XDefaultRootWindow(d)
        r, p = ctypes.c_ulong(), ctypes.c_ulong()
        ch = ctypes.POINTER(ctypes.c_ulong)()
        n = ctypes.c_uint()
        _xlib.XQueryTree(d, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(ch),
                         ctypes.byref(n))
        cnt = 0
        for i in range(n.value):
            a = XWindowAttributes()
            if _xlib.XGetWindowAttributes(d, ch[i], ctypes.byref(a)) and \
                    a.map_state == 2 and not a.override_redirect:
                cnt += 1
        if ch:
            _xlib.XFree(ch)
        _xlib.XCloseDisplay(d)
        return cnt
    except Exception as e:  # fall back to xwininfo (counts all root children)
        log("count_windows: ctypes failed:", e)
        try:
            out = subprocess.run(["xwininfo", "-root", "-children", "-display", display],
                                 capture_output=True, text=True, timeout=20).stdout
            return sum(1 for ln in out.splitlines() if ln.strip().startswith("0x"))
        except Exception:
            return None


def start_xvfb(display, size="1920x1080"):
    """A private Xvfb with one screen of the size given (WxH), unless a display is given."""
    if display:
        return None, display
    r, w = os.pipe()
    p = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", f"{size}x24",
                          "-nolisten", "tcp", "-noreset"], pass_fds=(w,),
                         start_new_session=True, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    os.close(w)
    buf = b""
    while not buf.endswith(b"\n"):
        c = os.read(r, 64)
        if not c:
            raise RuntimeError("Xvfb did not report a display")
        buf += c
    os.close(r)
    return p, ":" + buf.decode().strip()


def kill_group(pgid, popen=None, grace=3.0):
    """kill -- -PGID: SIGTERM, then SIGKILL after grace seconds; reap what we can."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(pgid, sig)
        except ProcessLookupError:
            break
        end = time.monotonic() + grace
        while time.monotonic() < end:
            if popen is not None:
                popen.poll()
            reap_zombies()
            if not group_alive(pgid):
                break
            time.sleep(0.1)
        else:
            continue
        break
    if popen is not None:
        try:
            popen.wait(5)
        except subprocess.TimeoutExpired:
            pass
    reap_zombies()


# --------------------------------------------------------------------------- a run
class Run:
    def __init__(self, h, entry, urls, mode):
        self.h, self.entry, self.urls, self.mode = h, entry, urls, mode
        self.token = uuid.uuid4().hex[:12]
        self.dir = tempfile.mkdtemp(prefix="bench-run-", dir=h.args.tmp)
        self.proc = self.dbus = None
        self.xvfb_pid = h.xvfb.pid if h.xvfb else None

    def env(self):
        d = self.dir
        e = {k: v for k, v in os.environ.items()
             if not k.startswith(("XDG_", "DBUS_", "QT_", "QTWEBENGINE_", "GTK_",
                                  "WAYLAND", "BENCH_"))}
        home = os.path.join(d, "home")
        xdg = {"XDG_CONFIG_HOME": ".config", "XDG_DATA_HOME": ".local/share",
               "XDG_CACHE_HOME": ".cache", "XDG_STATE_HOME": ".local/state"}
        os.makedirs(home)
        for k, v in xdg.items():
            e[k] = os.path.join(home, v)
            os.makedirs(e[k], exist_ok=True)
        rt = os.path.join(d, "runtime")
        os.makedirs(rt, mode=0o700)
        e.update(HOME=home, XDG_RUNTIME_DIR=rt, DISPLAY=self.h.display,
                 BENCH_TOKEN=self.token, BENCH_URL=self.urls[0],
                 BENCH_URLS=" ".join(self.urls), BENCH_N=str(len(self.urls)),
                 BENCH_PROFILE=d, NO_AT_BRIDGE="1")
        e.update({k: v.format(profile=d, home=home)
                  for k, v in self.entry.get("env", {}).items()})
        return e

    def expand(self, tmpl, urls):
        out = []
        for a in tmpl:
            if a == "{urls}":
                out += urls
            else:
                out.append(a.replace("{url}", urls[0]).replace("{profile}", self.dir))
        return out

    def argv(self):
        cmd = self.entry["cmd"]
        if self.mode == "instances" and len(self.urls) > 1:
            parts = [" ".join(shlex.quote(x) for x in self.expand(cmd, [u])) + " &"
                     for u in self.urls]
            return ["sh", "-c", " ".join(parts) + " wait"]
        if self.mode == "remote":
            return self.expand(cmd, self.urls[:1])
        return self.expand(cmd, self.urls)

    def remote(self, url, timeout=30):
        """multi mode 'remote': hand one more URL to the running browser through its
        own command line (e.g. 'falkon -u URL'); the helper normally exits at once."""
        argv = self.expand(self.entry["remote_cmd"], [url])
        self.cmdline_remote = argv
        p = subprocess.Popen(argv, env=self.env_used, stdout=self.logf, stderr=self.logf,
                             stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            p.wait(timeout)
        except subprocess.TimeoutExpired:
            log("remote helper still running; it will be ended with the run:", p.pid)
            self.helpers.append(p)

    def start(self):
        env = self.env()
        if self.h.args.dbus:
            self.dbus = subprocess.Popen(
                ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                 "--print-address=1", f"--address=unix:path={self.dir}/runtime/bus"],
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env,
                start_new_session=True)
            env["DBUS_SESSION_BUS_ADDRESS"] = self.dbus.stdout.readline().decode().strip()
        if self.entry.get("setup"):
            subprocess.run(["sh", "-c", self.entry["setup"]], env=env, check=True,
                           timeout=60)
        self.logf = open(os.path.join(self.dir, "browser.log"), "wb")
        self.env_used, self.helpers = env, []
        argv = self.argv()
        self.cmdline = argv
        self.t0 = time.monotonic()
        self.proc = subprocess.Popen(argv, env=env, stdout=self.logf, stderr=self.logf,
                                     stdin=subprocess.DEVNULL, start_new_session=True)
        self.sid = self.proc.pid

    def exclude(self):
        ex = set()
        if self.dbus:
            ex |= {p for p in all_pids() if (read_stat(p) or (0, -1))[1] == self.dbus.pid}
        if self.xvfb_pid:
            ex.add(self.xvfb_pid)
        return ex

    def procs(self):
        return tree(self.sid, self.token, self.exclude())

    def alive(self):
        return bool(self.procs())

    def snapshot(self):
        t = self.procs()
        pss, rss = pss_kb(t)
        fp = footprint_kb(t) if self.h.args.footprint else 0
        names = {}
        for p in t:
            c = comm(p)
            names[c] = names.get(c, 0) + 1
        return {"pss_mb": round(pss / 1024, 1), "rss_mb": round(rss / 1024, 1),
                "footprint_mb": round(fp / 1024, 1) if fp else None,
                "procs": len(t), "proc_names": names,
                "windows": count_windows(self.h.display),
                "foreign_engine_procs": len(engine_procs(set(t)))}

    def idle_cpu(self, secs):
        def xticks():
            st = read_stat(self.xvfb_pid) if self.xvfb_pid else None
            return st[2] if st else 0
        first, last = {}, {}
        x0 = xticks()
        t0 = time.monotonic()
        initial = True
        while True:
            for p, st in self.procs().items():
                key = (p, st[3])
                # processes born inside the window count from 0
                first.setdefault(key, st[2] if initial else 0)
                last[key] = st[2]
            initial = False
            if time.monotonic() - t0 >= secs:
                break
            time.sleep(0.5)
        el = time.monotonic() - t0
        ticks = sum(last[k] - first[k] for k in last)
        return (round(100.0 * ticks / CLK_TCK / el, 2),
                round(100.0 * (xticks() - x0) / CLK_TCK / el, 2))

    def idle_window(self, secs):
        b0, s0 = cpu_busy_ticks(), sum(os.times()[:2])
        tree_pct, x_pct = self.idle_cpu(secs)
        b1, s1 = cpu_busy_ticks(), sum(os.times()[:2])
        other = 100.0 * (b1 - b0) / CLK_TCK / secs - tree_pct - x_pct - 100.0 * (s1 - s0) / secs
        return tree_pct, x_pct, round(max(other, 0.0), 1)

    def stop(self):
        if self.proc:
            kill_group(self.proc.pid, self.proc)
        for p in getattr(self, "helpers", []):
            kill_group(p.pid, p)
        # strays that left the group/session but carry our token: end them by PID
        for p in all_pids():
            if p != os.getpid() and has_token(p, self.token) and \
                    (not self.dbus or (read_stat(p) or (0, -1))[1] != self.dbus.pid):
                try:
                    os.kill(p, signal.SIGKILL)
                    log("killed stray", p, comm(p))
                except OSError:
                    pass
        if self.dbus:
            kill_group(self.dbus.pid, self.dbus)
        reap_zombies()
        if getattr(self, "logf", None):
            self.logf.close()
        if not self.h.args.keep:
            shutil.rmtree(self.dir, ignore_errors=True)


# --------------------------------------------------------------------------- harness
class Harness:
    def __init__(self, args):
        self.args = args
        try:  # orphaned descendants of browsers re-parent to us, so we can reap them
            libc = ctypes.CDLL(None, use_errno=True)
            libc.prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
        except Exception:
            pass
        self.beacons = Beacons()
        self.srv = make_server(self.beacons)
        self.port = self.srv.server_address[1]
        self.xvfb, self.display = start_xvfb(args.display)
        log(f"server http://127.0.0.1:{self.port}  display {self.display}")

    def close(self):
        if self.xvfb:
            kill_group(self.xvfb.pid, self.xvfb)
        self.srv.shutdown()

    def url(self, token, k, path="page", extra=""):
        return f"http://127.0.0.1:{self.port}/{path}?r={token}&k={k}{extra}"

    def one(self, entry, kind, n_pages=1):
        mode = entry.get("multi", "args") if n_pages > 1 else "single"
        tok = uuid.uuid4().hex[:12]
        if kind == "popup":
            urls = [self.url(tok, 1, "popup", f"&n={self.args.popups}")]
        else:
            urls = [self.url(tok, k) for k in range(1, n_pages + 1)]
        run = Run(self, entry, urls, mode)
        run.token = tok
        res = {"kind": kind, "pages": n_pages}
        try:
            with open("/proc/loadavg") as f:
                res["loadavg1"] = float(f.read().split()[0])
            b0 = cpu_busy_ticks()
            run.start()
            res["cmd"] = " ".join(shlex.quote(a) for a in run.cmdline)
            timeout = self.args.popup_timeout if kind == "popup" else self.args.timeout
            if mode == "remote":
                ok = self.beacons.wait(tok, 1, timeout, run.alive)
                for i, u in enumerate(urls[1:], start=2):
                    if not ok:
                        break
                    run.remote(u)
                    ok = self.beacons.wait(tok, i, timeout, run.alive)
                res["cmd"] += "  # then for each further URL: " + " ".join(
                    shlex.quote(a) for a in getattr(run, "cmdline_remote", []))
            else:
                ok = self.beacons.wait(tok, n_pages, timeout, run.alive)
            t_end = time.monotonic()
            b1 = cpu_busy_ticks()
            tr = run.procs()
            own = sum(st[2] for st in tr.values())
            # CPU of everything else on the machine while we waited for the load
            # (includes Xvfb and the harness); % of one core
            res["startup_tree_cpu_s"] = round(own / CLK_TCK, 2)
            res["startup_other_cpu_pct"] = round(
                max(0.0, 100.0 * ((b1 - b0) - own) / CLK_TCK / max(t_end - run.t0, 1e-3)), 1)
            ev = self.beacons.get(tok, "loaded")
            req = self.beacons.get(tok, "request")
            res["beacons"] = len({e[2].get("k") for e in ev})
            res["complete"] = ok
            if ev:
                res["first_ms"] = round((min(e[0] for e in ev) - run.t0) * 1000)
                res["all_ms"] = round((max(e[0] for e in ev) - run.t0) * 1000)
            res["requests"] = len(req)
            if req:
                res["first_request_ms"] = round((min(e[0] for e in req) - run.t0) * 1000)
            if not ok:
                res["note"] = ("browser exited" if not run.alive()
                               else f"timeout {timeout}s")
                res["waited_ms"] = round((t_end - run.t0) * 1000)
            if kind == "popup" and ev:
                q = ev[0][2]
                res["opened_js"] = int(q.get("opened", -1))
                res["js_loop_ms"] = int(q.get("loopms", -1))
                if req:
                    res["request_to_beacon_ms"] = round((ev[0][0] - req[0][0]) * 1000)
            if run.alive():
                time.sleep(self.args.settle if kind != "popup" else self.args.popup_settle)
                res.update(run.snapshot())
                if kind == "startup" and self.args.idle > 0:
                    (res["idle_cpu_pct"], res["xvfb_cpu_pct"],
                     res["idle_other_cpu_pct"]) = run.idle_window(self.args.idle)
            else:
                res["exited"] = True
        finally:
            run.stop()
            res["tail"] = ""
            try:
                with open(os.path.join(run.dir, "browser.log"), "rb") as f:
                    res["tail"] = f.read()[-400:].decode("utf-8", "replace")
            except OSError:
                pass
        return res


def load_entries(path):
    with open(path) as f:
        return json.load(f)


def med(v):
    return statistics.median(v) if v else None


def summarize(name, version, results):
    def col(kind, key):
        return [r[key] for r in results if r["kind"] == kind and r.get(key) is not None]
    s = {"browser": name, "version": version}
    st = col("startup", "first_ms")
    if st:
        s["startup_ms"] = {"median": med(st), "min": min(st), "max": max(st), "n": len(st)}
    s["startup_failures"] = sum(1 for r in results if r["kind"] == "startup"
                                and not r.get("complete"))
    for kind, key in (("startup", "pss_mb"), ("startup", "footprint_mb"),
                      ("startup", "rss_mb"), ("multi", "pss_mb"), ("multi", "footprint_mb"),
                      ("popup", "pss_mb"), ("popup", "footprint_mb"),
                      ("startup", "idle_cpu_pct"), ("startup", "xvfb_cpu_pct"),
                      ("startup", "idle_other_cpu_pct"), ("startup", "startup_other_cpu_pct"),
                      ("startup", "procs"), ("multi", "procs"), ("startup", "windows"),
                      ("multi", "windows"), ("multi", "all_ms"), ("multi", "beacons"),
                      ("startup", "requests"), ("multi", "requests"),
                      ("popup", "windows"), ("popup", "procs"), ("popup", "opened_js"),
                      ("popup", "first_ms"), ("popup", "request_to_beacon_ms"),
                      ("popup", "js_loop_ms"), ("popup", "beacons")):
        v = col(kind, key)
        if v:
            s[f"{kind}_{key}"] = med(v)
    s["runs_not_alone"] = sum(1 for r in results if r.get("foreign_engine_procs")
                              or r.get("quiet_before") is False)
    if any(r["kind"] == "popup" for r in results):
        s["popup_exited"] = any(r.get("exited") for r in results if r["kind"] == "popup")
    for kind in ("startup", "multi", "popup"):
        w = [r["wall_s"] for r in results if r["kind"] == kind]
        if w:
            s[f"{kind}_wall_s_per_run"] = round(med(w), 1)
    return s


def fmt(v, nd=0):
    if v is None:
        return "–"
    return f"{v:.{nd}f}" if isinstance(v, (int, float)) else str(v)


def markdown(summaries):
    hdr = ("| browser | version | startup→onload ms median (min–max) | PSS 1 page MB | "
           "PSS 5 pages MB | footprint 1 / 5 pages MB | procs 1 / 5 | idle CPU % of 1 core "
           "(+Xvfb) | popup storm (1000 × window.open in onload) |")
    out = [hdr, "|" + "---|" * hdr.count(" | ") + "---|"]
    for s in summaries:
        st = s.get("startup_ms") or {}
        startup = (f"{fmt(st.get('median'))} ({fmt(st.get('min'))}–{fmt(st.get('max'))})"
                   if st else "–")
        if s.get("startup_failures"):
            startup += f", {s['startup_failures']} failed"
        multi_pss = fmt(s.get("multi_pss_mb"))
        if s.get("multi_beacons") is not None and s.get("multi_beacons") < s.get("pages", 5):
            multi_pss += f" (only {fmt(s['multi_beacons'])} loaded)"
        if "popup_windows" in s or "popup_first_ms" in s:
            base_w = s.get("startup_windows") or 0
            extra_w = (s.get("popup_windows") or 0) - base_w
            popup = (f"{'blocked' if extra_w <= 0 else 'NOT blocked'}: +{fmt(extra_w)} windows, "
                     f"window.open non-null {fmt(s.get('popup_opened_js'))}/1000, "
                     f"procs {fmt(s.get('popup_procs'))}; beacon {fmt(s.get('popup_first_ms'))} ms "
                     f"after spawn ({fmt(s.get('popup_request_to_beacon_ms'))} ms after page "
                     f"request, JS loop {fmt(s.get('popup_js_loop_ms'))} ms); PSS after "
                     f"{fmt(s.get('popup_pss_mb'))} MB")
            if s.get("popup_exited"):
                popup += " — browser EXITED"
        else:
            popup = "–"
        out.append(
            f"| {s['browser']}"
            f"{' (%d runs not alone on the machine)' % s['runs_not_alone'] if s.get('runs_not_alone') else ''}"
            f" | {s.get('version', '').replace(chr(10), ' ')} | {startup} | "
            f"{fmt(s.get('startup_pss_mb'))} | {multi_pss} | "
            f"{fmt(s.get('startup_footprint_mb'))} / {fmt(s.get('multi_footprint_mb'))} | "
            f"{fmt(s.get('startup_procs'))} / {fmt(s.get('multi_procs'))} | "
            f"{fmt(s.get('startup_idle_cpu_pct'), 2)} (+{fmt(s.get('startup_xvfb_cpu_pct'), 2)}) | "
            f"{popup} |")
    return "\n".join(out) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("browsers", nargs="*", help="names in browsers.json; several are run "
                    "round-robin (A B C A B C ...) so background load hits them alike")
    ap.add_argument("--entries", default=os.path.join(HERE, "browsers.json"))
    ap.add_argument("--cmd", help="ad-hoc argv template (shell-split), instead of an entry")
    ap.add_argument("--name", default="adhoc", help="name for --cmd")
    ap.add_argument("--setup", help="ad-hoc setup snippet (with --cmd)")
    ap.add_argument("--multi-mode", default="args", help="ad-hoc multi mode (with --cmd)")
    ap.add_argument("--env", action="append", default=[], help="ad-hoc K=V (with --cmd)")
    ap.add_argument("--version-cmd", help="ad-hoc version command (with --cmd)")
    ap.add_argument("--tests", default="startup,multi,popup")
    ap.add_argument("--runs", type=int, default=5, help="startup runs (median)")
    ap.add_argument("--warmup", type=int, default=1, help="unrecorded startup runs first")
    ap.add_argument("--multi-runs", type=int, default=3)
    ap.add_argument("--popup-runs", type=int, default=1)
    ap.add_argument("--pages", type=int, default=5)
    ap.add_argument("--popups", type=int, default=1000)
    ap.add_argument("--settle", type=float, default=3.0, help="s after load before PSS")
    ap.add_argument("--popup-settle", type=float, default=5.0)
    ap.add_argument("--idle", type=float, default=10.0, help="idle CPU window, s")
    ap.add_argument("--cooldown", type=float, default=3.0,
                    help="sync + sleep this many s before each run")
    ap.add_argument("--quiet-wait", type=float, default=30.0,
                    help="before each run wait up to this many s until no other program "
                         "maps an engine library and the machine is idle (0: off)")
    ap.add_argument("--timeout", type=float, default=60.0)
    ap.add_argument("--popup-timeout", type=float, default=120.0)
    ap.add_argument("--display", help="use this X display instead of a private Xvfb")
    ap.add_argument("--no-dbus", dest="dbus", action="store_false",
                    help="no private session bus per run")
    ap.add_argument("--no-footprint", dest="footprint", action="store_false",
                    help="skip the pagemap-based footprint metric")
    ap.add_argument("--tmp", default="/tmp")
    ap.add_argument("--keep", action="store_true", help="keep per-run dirs")
    ap.add_argument("--out", help="write JSON results here")
    ap.add_argument("--md", help="write a markdown table here")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()

    entries = {}
    if args.cmd:
        entries[args.name] = {"cmd": shlex.split(args.cmd), "setup": args.setup,
                            "multi": args.multi_mode, "version_cmd": args.version_cmd,
                            "env": dict(e.split("=", 1) for e in args.env)}
    else:
        all_entries = load_entries(args.entries)
        if args.list or not args.browsers:
            for k, v in all_entries.items():
                if not k.startswith("_"):
                    print(k, "-", " ".join(v["cmd"]), "| multi:", v.get("multi", "args"))
            return
        entries = {b: all_entries[b] for b in args.browsers}

    versions = {}
    for name, entry in entries.items():
        versions[name] = ""
        if entry.get("version_cmd"):
            try:
                versions[name] = subprocess.run(
                    ["sh", "-c", entry["version_cmd"]], capture_output=True, text=True,
                    timeout=60).stdout.strip().replace("\n", " ")
            except Exception as e:
                versions[name] = f"? ({e})"

    tests = args.tests.split(",")
    plan = []   # list of rounds; each round runs every browser once
    if "startup" in tests:
        plan += [("warmup", 1)] * args.warmup + [("startup", 1)] * args.runs
    if "multi" in tests:
        plan += [("multi", args.pages)] * args.multi_runs
    if "popup" in tests:
        plan += [("popup", 1)] * args.popup_runs

    h = Harness(args)
    results = {n: [] for n in entries}
    t_start = time.monotonic()
    try:
        for kind, n in plan:
            for name, entry in entries.items():
                if kind == "multi" and entry.get("multi", "args") == "none":
                    continue
                if args.cooldown > 0:   # let the previous run's teardown settle
                    os.sync()
                    time.sleep(args.cooldown)
                waited, quiet = (wait_quiet(args.quiet_wait) if args.quiet_wait > 0
                                 else (0.0, None))
                t = time.monotonic()
                r = h.one(entry, "startup" if kind == "warmup" else kind, n)
                r["quiet_wait_s"], r["quiet_before"] = waited, quiet
                r["kind"] = kind
                r["wall_s"] = round(time.monotonic() - t, 1)
                brief = {k: r.get(k) for k in (
                    "first_ms", "all_ms", "beacons", "pss_mb", "footprint_mb", "procs",
                    "windows", "idle_cpu_pct", "opened_js", "startup_other_cpu_pct",
                    "note") if k in r}
                log(name, kind, brief, f"{r['wall_s']}s")
                results[name].append(r)
    finally:
        h.close()
    summaries = []
    for name, entry in entries.items():
        s = summarize(name, versions[name], results[name])
        s["pages"] = args.pages
        summaries.append(s)
    total = round(time.monotonic() - t_start, 1)
    print(json.dumps(summaries, indent=1))
    log(f"total {total}s")
    if args.out:
        with open(args.out, "w") as f:
            json.dump({"args": vars(args), "total_wall_s": total, "summaries": summaries,
                       "entries": entries, "runs": results}, f, indent=1)
    if args.md:
        with open(args.md, "w") as f:
            f.write(markdown(summaries))


if __name__ == "__main__":
    main()
