#!/usr/bin/env python3
"""Ratios of one browser (default: lumeno) to the others of one bench.py run.

  python3 bench/peer/ratios.py results/peers-X.json [--base lumeno] [--floor A,B]

Medians over the recorded runs; PSS only over runs that were alone on the machine
(no other program mapping an engine library: such a program lowers PSS), when any
were; footprint (distinct physical pages) over all. Also the figures against the
targets: start-up within 1.1x the floor, PSS with 5 pages <= 320 MB.
"""
import argparse
import json
import statistics


def med(v):
    return statistics.median(v) if v else None


def figures(runs):
    def col(kind, key, alone_only=False):
        rs = [r for r in runs if r["kind"] == kind and r.get(key) is not None]
        if alone_only:
            alone = [r for r in rs if not r.get("foreign_engine_procs")]
            rs = alone or rs
        return [r[key] for r in rs]
    st = col("startup", "first_ms")
    return {
        "startup_ms": med(st), "startup_min": min(st) if st else None,
        "startup_max": max(st) if st else None, "startup_n": len(st),
        "pss1": med(col("startup", "pss_mb", True)), "pss5": med(col("multi", "pss_mb", True)),
        "fp1": med(col("startup", "footprint_mb")), "fp5": med(col("multi", "footprint_mb")),
        "idle": med(col("startup", "idle_cpu_pct")),
        "procs1": med(col("startup", "procs")), "procs5": med(col("multi", "procs")),
        "not_alone": sum(1 for r in runs if r.get("foreign_engine_procs")
                         or r.get("quiet_before") is False),
    }


def fmt(v, nd=0):
    return "–" if v is None else f"{v:.{nd}f}"


def ratio(a, b):
    return "–" if a is None or b in (None, 0) else f"{a / b:.2f}x"


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("json")
    ap.add_argument("--base", default="lumeno")
    ap.add_argument("--floor", default="qt6minimal-home-sw,qt6minimal-home",
                    help="comma-separated: the floors to give the start-up ratio against")
    a = ap.parse_args()
    with open(a.json) as f:
        d = json.load(f)
    runs = {k: [r for r in v if r["kind"] != "warmup"] for k, v in d["runs"].items()}
    fig = {k: figures(v) for k, v in runs.items()}
    if a.base not in fig:
        raise SystemExit(f"{a.base} not in {a.json}")
    b = fig[a.base]
    print(f"| browser | start-up ms median (min–max, n) | PSS 1 MB | PSS 5 MB | footprint 1 / 5 MB "
          f"| idle CPU % 1 page | procs 1 / 5 | {a.base} ÷ it: start-up | PSS 1 | PSS 5 "
          f"| footprint 5 | runs not alone |")
    print("|" + "---|" * 11)
    for k, f in fig.items():
        print(f"| {k} | {fmt(f['startup_ms'])} ({fmt(f['startup_min'])}–{fmt(f['startup_max'])}, "
              f"n={f['startup_n']}) | {fmt(f['pss1'])} | {fmt(f['pss5'])} | {fmt(f['fp1'])} / "
              f"{fmt(f['fp5'])} | {fmt(f['idle'], 2)} | {fmt(f['procs1'])} / {fmt(f['procs5'])} | "
              f"{ratio(b['startup_ms'], f['startup_ms'])} | {ratio(b['pss1'], f['pss1'])} | "
              f"{ratio(b['pss5'], f['pss5'])} | {ratio(b['fp5'], f['fp5'])} | {f['not_alone']} |")
    print()
    for floor in a.floor.split(","):
        if floor in fig and fig[floor]["startup_ms"] and b["startup_ms"]:
            fl = fig[floor]["startup_ms"]
            print(f"- start-up: {a.base} {fmt(b['startup_ms'])} ms = {b['startup_ms'] / fl:.2f}x "
                  f"{floor} {fmt(fl)} ms (target: within 1.1x, i.e. <= {1.1 * fl:.0f} ms)")
    if b["pss5"] is not None:
        print(f"- PSS with 5 windows: {fmt(b['pss5'])} MB (target: <= 320 MB)")
    print(f"- idle CPU with 1 page: {fmt(b['idle'], 2)} % of one core "
          f"(10 windows: see startup_idle_memory.py)")


if __name__ == "__main__":
    main()
