#!/usr/bin/env python3
"""The layers of src/ include only downward, every project header is named
through its folder from the include root, and benchmarks use no test header.

The order, lowest first, is the one in the README's source layout table;
folders on one rank may not include each other."""
import re
import sys
import tempfile
import unittest
from pathlib import Path

LAYERS = [
    ["core"],
    ["model"],
    ["nav"],
    ["gps"],
    ["io"],
    ["documents"],
    ["alerts"],
    ["gps/windows", "app/preferences", "app/update"],
    ["app"],
]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# Headers that Qt's user-interface compiler writes next to the build.
GENERATED = re.compile(r"^ui_\w+\.h$")


def rank_of(folder):
    for rank, folders in enumerate(LAYERS):
        if folder in folders:
            return rank
    return None


def project_headers(root):
    return {p.name for top in ("src", "tests", "bench") for p in (root / top).rglob("*.h")}


def includes(path):
    for match in INCLUDE.finditer(path.read_text(encoding="utf-8")):
        yield match.group(1), match.group(2)


def check(root):
    """Every rule broken under root, one text each."""
    root = Path(root)
    names = project_headers(root)
    faults = []
    for top in ("src", "tests", "bench"):
        for path in sorted((root / top).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            where = path.relative_to(root)
            for bracket, header in includes(path):
                base = header.rsplit("/", 1)[-1]
                if "/" not in header:
                    if base in names:
                        faults.append(f"{where}: includes {header} by its bare name, not through its folder")
                    elif bracket == '"' and not GENERATED.match(header):
                        faults.append(f"{where}: includes \"{header}\", which is no project header")
                    continue
                if bracket == "<" and base in names:
                    faults.append(f"{where}: includes project header <{header}> as a system header")
                    continue
                if bracket == "<":
                    continue
                faults += check_one(root, top, where, header)
    return faults


def check_one(root, top, where, header):
    if top == "bench":
        if header.startswith("bench/") and (root / header).is_file():
            return []
        if (root / "src" / header).is_file():
            return []
        return [f"{where}: includes {header}, which is neither a source nor a benchmark header"]
    if (root / "src" / header).is_file():
        if top == "tests":
            return []
        return check_direction(where, header)
    if top == "tests" and (root / "tests" / header).is_file():
        return []
    return [f"{where}: includes {header}, which is not under src/" + ("" if top == "src" else " or tests/")]


def check_direction(where, header):
    source_folder = folder_of(str(Path(*where.parts[1:]).parent))
    target_folder = folder_of(str(Path(header).parent))
    if source_folder == target_folder:
        return []
    source, target = rank_of(source_folder), rank_of(target_folder)
    if source is None or target is None:
        unknown = source_folder if source is None else target_folder
        return [f"{where}: folder {unknown} has no place in the layer order"]
    if target < source:
        return []
    return [f"{where}: {source_folder} includes {header} from {target_folder}, which is not below it"]


def folder_of(folder):
    """The layer folder that holds a folder: layouts and deeper folders belong to their parent layer."""
    parts = folder.split("/")
    for length in range(len(parts), 0, -1):
        candidate = "/".join(parts[:length])
        if rank_of(candidate) is not None:
            return candidate
    return folder


class Layering(unittest.TestCase):
    def test_the_tree_keeps_its_layers(self):
        root = Path(__file__).resolve().parents[2]
        faults = check(root)
        self.assertEqual(faults, [], "\n" + "\n".join(faults))

    def test_each_kind_of_fault_is_found(self):
        cases = {
            "src/core/Low.h": '#include "gps/High.h"\n',
            "src/gps/High.h": '#include "core/Low.h"\n#include "Other.h"\n',
            "src/gps/Other.h": "#include <Low.h>\n",
            "src/app/preferences/Panel.h": '#include "app/update/Check.h"\n',
            "src/app/update/Check.h": '#include "core/Low.h"\n',
            "bench/Bench.cpp": '#include "support/Helper.h"\n#include "gps/High.h"\n',
            "tests/support/Helper.h": '#include "gps/High.h"\n',
        }
        with tempfile.TemporaryDirectory() as scratch:
            for name, text in cases.items():
                path = Path(scratch, name)
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(text)
            faults = sorted(check(scratch))
        expected = [
            "bench/Bench.cpp: includes support/Helper.h",
            "src/app/preferences/Panel.h: app/preferences includes app/update/Check.h",
            "src/core/Low.h: core includes gps/High.h",
            "src/gps/High.h: includes Other.h by its bare name",
            "src/gps/Other.h: includes Low.h by its bare name",
        ]
        self.assertEqual(len(faults), len(expected), "\n".join(faults))
        for fault, start in zip(faults, expected):
            self.assertTrue(fault.startswith(start), fault)


if __name__ == "__main__":
    sys.exit(unittest.main())
