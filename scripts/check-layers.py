#!/usr/bin/env python3
"""Holds the includes between top-level folders to the layer table.

Reads every #include "..." of the C and C++ sources, maps each to the
top-level folder it names (folder/File.h, or a relative path that leaves the
including folder), and fails with one line per offending edge when the
folders include each other in a cycle, or when an edge is not allowed by the
layer table of docs/ARCHITECTURE.md. The table's rows read

    | `folder/` | `other/`, `another/` | ...

with "-" for a folder that includes no other.

Usage: check-layers.py [--root DIR] [--table FILE] [--graph]
"""

import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".c", ".cpp", ".h")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
TABLE_ROW = re.compile(r"^\|\s*`([A-Za-z0-9_-]+)/`\s*\|([^|]*)\|")
TABLE_FOLDER = re.compile(r"`([A-Za-z0-9_-]+)/`")


def read_table(path):
    """Folder -> set of folders it may include, from the table's rows."""
    allowed = {}
    with open(path, encoding="utf-8") as table:
        for line in table:
            row = TABLE_ROW.match(line)
            if row:
                allowed[row.group(1)] = set(TABLE_FOLDER.findall(row.group(2)))
    return allowed


def source_files(root):
    """Paths of the sources below root, relative to it, skipping build trees."""
    for folder, subfolders, files in os.walk(root):
        relative = os.path.relpath(folder, root)
        if relative == ".":
            subfolders[:] = [d for d in subfolders if not d.startswith((".", "build"))]
        subfolders.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.normpath(os.path.join(relative, name))


def top_folder(path):
    parts = path.split(os.sep)
    return parts[0] if len(parts) > 1 else None


def include_edges(root, folders):
    """(from folder, to folder) -> first "file:line" that makes the edge."""
    edges = {}
    for path in source_files(root):
        source = top_folder(path)
        if source is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                name = match.group(1)
                # As the compiler looks: beside the including file first.
                beside = os.path.normpath(os.path.join(os.path.dirname(path), name))
                if os.path.exists(os.path.join(root, beside)) and not beside.startswith(".."):
                    target = top_folder(beside)
                else:
                    target = name.split("/")[0] if "/" in name else None
                if target in folders and target != source:
                    edges.setdefault((source, target), f"{path}:{number}")
    return edges


def cycles(edges):
    """The edges that lie on a cycle (both ends in one strongly connected part)."""
    graph = {}
    for source, target in edges:
        graph.setdefault(source, set()).add(target)
        graph.setdefault(target, set())
    index, low, stack, on_stack, part = {}, {}, [], set(), {}

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for following in sorted(graph[node]):
            if following not in index:
                visit(following)
                low[node] = min(low[node], low[following])
            elif following in on_stack:
                low[node] = min(low[node], index[following])
        if low[node] == index[node]:
            while True:
                member = stack.pop()
                on_stack.discard(member)
                part[member] = node
                if member == node:
                    break

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return sorted(edge for edge in edges if part[edge[0]] == part[edge[1]])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here), help="the source tree")
    parser.add_argument("--table", help="the page with the layer table (default: ROOT/docs/ARCHITECTURE.md)")
    parser.add_argument("--graph", action="store_true", help="print the folder graph")
    args = parser.parse_args()
    table = args.table or os.path.join(args.root, "docs", "ARCHITECTURE.md")

    allowed = read_table(table)
    if not allowed:
        print(f"check-layers: no layer table in {table}", file=sys.stderr)
        return 1
    present = {top_folder(path) for path in source_files(args.root)} - {None}
    edges = include_edges(args.root, present)
    if args.graph:
        for source, target in sorted(edges):
            print(f"{source} -> {target}")

    problems = []
    for folder in sorted(present - set(allowed)):
        problems.append(f"check-layers: folder {folder}/ has sources but no row in the layer table of {table}")
    for source, target in cycles(edges):
        problems.append(f"check-layers: cycle: {source}/ includes {target}/ ({edges[(source, target)]}), "
                        f"and {target}/ reaches {source}/ back")
    for (source, target), where in sorted(edges.items()):
        if source in allowed and target not in allowed[source]:
            problems.append(f"check-layers: {source}/ may not include {target}/ ({where})")
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
