#!/usr/bin/env python3
"""Draw the program's structure as Graphviz dot: one box per layer folder
(shell/core, browser/ui, ...), the files inside it, the includes between files
of one folder as arrows between files, and the includes between folders as one
arrow per pair of folders, labelled with how many includes it stands for.

A class's .h and .cpp are one node; a .cpp without a header of its own (a part
of a bigger class) is a node of its own. Layers run left to right from the
start-up down to the core, the way the includes point.

    tools/structure.py [--root DIR] [-o FILE.dot]
    dot -Tsvg FILE.dot -o docs/structure.svg

Standard library only; Graphviz is needed to render, not to run this.
"""

import argparse
import collections
import os
import re
import sys

# Features, lowest first, as tests/tst_layers.cpp orders them.
AREAS = ("common", "favorites", "downloads", "history", "browser", "session", "shell")
LAYERS = ("app", "engine", "ui", "core")  # left to right
LAYER_COLOURS = {"app": "#f3e5f5", "engine": "#fff3e0", "ui": "#e3f2fd", "core": "#e8f5e9"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)


def sources(root):
    for area in AREAS:
        for dirpath, _dirs, files in os.walk(os.path.join(root, area)):
            for name in sorted(files):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")


def node_of(root, path):
    stem, ext = os.path.splitext(path)
    if ext == ".cpp" and os.path.isfile(os.path.join(root, stem + ".h")):
        return stem
    if ext == ".h":
        return stem
    return path


def label_of(root, node):
    base = os.path.basename(node)
    if node.endswith((".h", ".cpp")):
        return base
    has_cpp = os.path.isfile(os.path.join(root, node + ".cpp"))
    return base if has_cpp else base + ".h"


def resolve(root, src, target):
    for cand in (os.path.join(os.path.dirname(src), target), target):
        cand = os.path.normpath(cand).replace(os.sep, "/")
        if cand.split("/")[0] in AREAS and os.path.isfile(os.path.join(root, cand)):
            return cand
    return None


def graph(root):
    folders = collections.defaultdict(set)
    file_edges = set()
    folder_edges = collections.Counter()
    for src in sources(root):
        a = node_of(root, src)
        folders[os.path.dirname(src)].add(a)
        with open(os.path.join(root, src), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            dst = resolve(root, src, target)
            if dst is None:
                continue
            b = node_of(root, dst)
            if a == b:
                continue
            fa, fb = os.path.dirname(src), os.path.dirname(dst)
            if fa == fb:
                file_edges.add((a, b))
            else:
                folder_edges[(fa, fb)] += 1
    return folders, file_edges, folder_edges


def layer_rank(folder):
    layer = folder.split("/")[-1]
    return LAYERS.index(layer) if layer in LAYERS else len(LAYERS)


def dot(root):
    folders, file_edges, folder_edges = graph(root)
    misplaced = [f for f in folders if f.split("/")[-1] not in LAYERS]
    if misplaced:
        sys.exit("not in a layer folder: " + ", ".join(sorted(misplaced)))
    ordered = sorted(folders, key=lambda f: (layer_rank(f), AREAS.index(f.split("/")[0])))
    ids = {}
    out = [
        "digraph structure {",
        '  graph [rankdir=LR, compound=true, newrank=true, nodesep=0.15, ranksep=0.9,'
        ' fontname="Helvetica", fontsize=12, label="Lumeno: includes between files and layer folders '
        '(arrow = includes; a number counts the includes between two folders)", labelloc=t];',
        '  node [shape=box, style="rounded,filled", fillcolor=white, fontname="Helvetica", fontsize=10,'
        ' height=0.25, margin="0.08,0.03"];',
        '  edge [color="#555555", arrowsize=0.6];',
    ]
    by_layer = collections.defaultdict(list)
    for folder in ordered:
        by_layer[folder.split("/")[-1]].append(folder)
    cluster = {}
    for layer in LAYERS:
        out.append(f"  subgraph cluster_layer_{layer} {{")
        out.append(f'    label="{layer}"; style="dashed"; color="#999999"; fontsize=15;')
        # Everything of a layer sits between its anchor and the next
        # layer's, so each layer is one column.
        out.append(f"    anchor_{layer} [shape=point, style=invis, width=0];")
        for folder in by_layer[layer]:
            cluster[folder] = f"cluster_{len(cluster)}"
            out.append(f"    subgraph {cluster[folder]} {{")
            out.append(f'      label="{folder}/"; style="rounded,filled"; color="#777777";'
                       f' fillcolor="{LAYER_COLOURS[layer]}"; fontsize=13;')
            for n in sorted(folders[folder]):
                ids[n] = f"n{len(ids)}"
                out.append(f'      {ids[n]} [label="{label_of(root, n)}"];')
            out.append("    }")
        out.append("  }")
    for here, after in zip(LAYERS, LAYERS[1:]):
        out.append(f"  anchor_{here} -> anchor_{after} [style=invis, weight=10];")
    for layer, after in zip(LAYERS, list(LAYERS[1:]) + [None]):
        for folder in by_layer[layer]:
            for n in sorted(folders[folder]):
                out.append(f"  anchor_{layer} -> {ids[n]} [style=invis, weight=0];")
                if after:
                    out.append(f"  {ids[n]} -> anchor_{after} [style=invis, weight=0];")
    for a, b in sorted(file_edges):
        out.append(f"  {ids[a]} -> {ids[b]};")
    for (fa, fb), count in sorted(folder_edges.items()):
        a, b = ids[sorted(folders[fa])[0]], ids[sorted(folders[fb])[0]]
        out.append(f'  {a} -> {b} [ltail={cluster[fa]}, lhead={cluster[fb]},'
                   f' label="{count}", color="#1f5fa8", fontcolor="#1f5fa8", fontsize=9, penwidth=1.4];')
    out.append("}")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=os.path.dirname(here), help="source tree (default: this script's repository)")
    parser.add_argument("-o", "--output", help="dot file to write (default: standard output)")
    args = parser.parse_args()
    text = dot(args.root)
    if args.output:
        with open(args.output, "w", encoding="utf-8") as f:
            f.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
