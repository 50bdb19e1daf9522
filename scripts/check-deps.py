#!/usr/bin/env python3
"""Keeps the library folders' ties one way.

Fails when a folder includes a header of a folder its library does not link
directly, when folders include each other (any circle), when anything but
app/ includes a header of app/, when a folder builds more than one library,
when units (X.h with X.cpp) of one folder include each other in a circle, or
when two folders hold headers of the same name.
Tests, benchmarks and fuzz targets are not checked.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
SKIP = {"tests", "bench", "fuzz", "build", "cmake", "scripts", "resources", "docs"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)"', re.M)
CALL = re.compile(r"\b(add_library|target_link_libraries)\s*\(([^)]*)\)", re.S)
KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE"}


def cmake_calls(text):
    text = re.sub(r"#[^\n]*", "", text)
    for m in CALL.finditer(text):
        yield m.group(1), m.group(2).split()


def circles(graph):
    """Groups of more than one node that all reach each other."""
    reach = {}
    for start in graph:
        seen, todo = set(), list(graph[start])
        while todo:
            v = todo.pop()
            if v not in seen:
                seen.add(v)
                todo.extend(graph.get(v, ()))
        reach[start] = seen
    groups = {frozenset({v} | {w for w in reach[v] if v in reach.get(w, ())}) for v in graph if v in reach[v]}
    return sorted(sorted(g) for g in groups if len(g) > 1)


def main():
    folders, owner, links, problems = {}, {}, {}, []
    for lists in sorted(ROOT.glob("*/CMakeLists.txt")):
        folder = lists.parent.name
        if folder in SKIP:
            continue
        targets = []
        for call, args in cmake_calls(lists.read_text()):
            if call == "add_library" and args:
                targets.append(args[0])
                owner[args[0]] = folder
            elif call == "target_link_libraries" and args:
                links.setdefault(args[0], set()).update(a for a in args[1:] if a not in KEYWORDS)
        if targets:
            folders[folder] = targets
            if len(targets) > 1:
                problems.append(f"{folder}/ builds {len(targets)} libraries: {' '.join(targets)}")

    header_folder, files = {}, {}
    for folder in folders:
        # A folder's internal/ is part of it: headers only its library includes.
        files[folder] = sorted(p for p in (ROOT / folder).rglob("*") if p.suffix in (".h", ".cpp"))
        for p in files[folder]:
            if p.suffix == ".h":
                if p.name in header_folder:
                    problems.append(f"{p.name} is in both {header_folder[p.name]}/ and {folder}/")
                header_folder.setdefault(p.name, folder)

    uses, units = {}, {}
    for folder, paths in files.items():
        linked = {owner[t] for lib in folders[folder] for t in links.get(lib, ()) if t in owner}
        graph = units.setdefault(folder, {})
        for p in paths:
            for name in INCLUDE.findall(p.read_text(errors="replace")):
                other = header_folder.get(name)
                if other is None:
                    continue
                if other == folder:
                    if pathlib.Path(name).stem != p.stem:
                        graph.setdefault(p.stem, set()).add(pathlib.Path(name).stem)
                    continue
                uses.setdefault(folder, set()).add(other)
                if other == "app":
                    problems.append(f"{p.relative_to(ROOT)} includes {name} of app/")
                elif other not in linked:
                    problems.append(f"{p.relative_to(ROOT)} includes {name} of {other}/, "
                                    f"which {folder}/ does not link")

    for part in circles(uses):
        problems.append("folders include each other: " + " ".join(f + "/" for f in part))
    for folder, graph in sorted(units.items()):
        for part in circles(graph):
            problems.append(f"{folder}/: units include each other: " + " ".join(part))

    for line in problems:
        print("check-deps:", line, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
