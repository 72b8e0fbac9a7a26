#!/usr/bin/env python3
"""The layering check on a small planted tree: it passes the clean tree, and
names the offending edges of a planted cycle, of an edge the table does not
allow (also through a relative include) and of a folder the table lacks."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers.py")

TABLE = """| Folder | May include |
|---|---|
| `low/` | - |
| `mid/` | `low/` |
| `top/` | `mid/`, `low/` |
"""


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        self.write("docs/ARCHITECTURE.md", TABLE)
        self.write("low/Low.h", "#pragma once\n#include <vector>\n")
        self.write("mid/Mid.cpp", '#include "Mid.h"\n#include "low/Low.h"\n')
        self.write("mid/Mid.h", "#pragma once\n")
        self.write("top/Top.cpp", '#include "mid/Mid.h"\n#include "low/Low.h"\n')

    def tearDown(self):
        self.folder.cleanup()

    def write(self, path, text):
        os.makedirs(os.path.dirname(os.path.join(self.root, path)), exist_ok=True)
        with open(os.path.join(self.root, path), "w", encoding="utf-8") as file:
            file.write(text)

    def check(self):
        run = subprocess.run([sys.executable, SCRIPT, "--root", self.root], capture_output=True, text=True)
        return run.returncode, run.stderr.splitlines()

    def test_the_clean_tree_passes(self):
        self.assertEqual(self.check(), (0, []))

    def test_a_cycle_and_a_forbidden_edge_are_named_with_their_file(self):
        self.write("low/Low.cpp", '#include "Low.h"\n\n#include "mid/Mid.h"\n')
        self.write("mid/Up.cpp", '#include "../top/Top.h"\n')
        self.write("top/Top.h", "#pragma once\n")
        code, lines = self.check()
        self.assertEqual(code, 1)
        self.assertIn("check-layers: cycle: low/ includes mid/ (low/Low.cpp:3), and mid/ reaches low/ back", lines)
        self.assertIn("check-layers: cycle: mid/ includes low/ (mid/Mid.cpp:2), and low/ reaches mid/ back", lines)
        self.assertIn("check-layers: low/ may not include mid/ (low/Low.cpp:3)", lines)
        self.assertIn("check-layers: mid/ may not include top/ (mid/Up.cpp:1)", lines)
        # The three folders now form one cycle: each of its five edges is named.
        self.assertEqual(len(lines), 7, lines)

    def test_a_folder_without_a_row_fails(self):
        self.write("extra/Extra.cpp", '#include "low/Low.h"\n')
        code, lines = self.check()
        self.assertEqual(code, 1)
        self.assertEqual(len(lines), 1)
        self.assertIn("folder extra/ has sources but no row", lines[0])


if __name__ == "__main__":
    unittest.main()
