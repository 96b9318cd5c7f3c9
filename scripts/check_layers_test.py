#!/usr/bin/python3
"""The layering check against a copy of the tree: it passes on the tree as it
is and names file and line of an upward include added to any folder."""
import os
import runpy
import shutil
import tempfile
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
# The check's file name has a dash, so it is run as a script for its functions.
check_layers = types.SimpleNamespace(**runpy.run_path(os.path.join(HERE, "check-layers.py")))

# A header of the folder above each one: app is the top of the core, the
# front ends' folders are above app.
ABOVE = {"platform": "model/survey_point.h", "system": "model/survey_point.h", "model": "surface/drape.h", "surface": "camera/camera.h",
         "import": "surface/drape.h", "export": "camera/camera.h", "camera": "render/scene.h",
         "render": "water/pond_system.h", "section": "app/commands.h", "water": "section/section_line.h",
         "app": "cli/cli_args.h"}


class LayerCheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tree = tempfile.mkdtemp()
        shutil.copy(os.path.join(ROOT, "README.md"), cls.tree)
        for base in ("src", "tests"):
            shutil.copytree(os.path.join(ROOT, base), os.path.join(cls.tree, base),
                            ignore=shutil.ignore_patterns("golden", "*.py", "*.txt"))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tree)

    def with_line(self, relative, line):
        """Checks the tree with `line` added at the end of one of its files; returns the problems."""
        path = os.path.join(self.tree, relative)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        try:
            with open(path, "a", encoding="utf-8") as f:
                f.write(line + "\n")
            return check_layers.check(self.tree), original.count("\n") + 1
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)

    def first_file(self, folder):
        directory = os.path.join(self.tree, folder)
        return os.path.join(folder, sorted(n for n in os.listdir(directory) if n.endswith((".h", ".cpp")))[0])

    def test_the_tree_keeps_its_layers(self):
        self.assertEqual(check_layers.check(self.tree), [])

    def test_an_upward_include_in_any_layer_is_named_with_file_and_line(self):
        for base in ("src", "tests"):
            for folder, above in ABOVE.items():
                if not os.path.isdir(os.path.join(self.tree, base, folder)):
                    continue
                with self.subTest(base=base, folder=folder):
                    relative = self.first_file(os.path.join(base, folder))
                    problems, line = self.with_line(relative, f'#include "{above}"')
                    self.assertEqual(len(problems), 1, problems)
                    self.assertTrue(problems[0].startswith(f"{relative}:{line}: "), problems[0])

    def test_a_fixture_of_another_folder_counts_as_the_tests_own_include(self):
        problems, line = self.with_line("tests/support/temp_files.h", '#include "camera/camera.h"')
        folders = {problem.split("/")[1] for problem in problems}
        self.assertIn("import", folders, problems)
        self.assertFalse({"render", "app", "support"} & folders, problems)  # camera is theirs to include
        for problem in problems:
            self.assertIn(f"(through tests/support/temp_files.h:{line})", problem)

    def test_the_front_ends_may_include_app_and_below_but_not_each_other(self):
        self.assertEqual(self.with_line("src/cli/main.cpp", '#include "model/survey_point.h"')[0], [])
        problems, line = self.with_line("src/cli/main.cpp", '#include "shell/main_window.h"')
        self.assertEqual(problems, [f'src/cli/main.cpp:{line}: #include "shell/main_window.h" (shell) '
                                    "is not allowed here"])

    def test_a_folder_without_a_row_is_refused(self):
        os.makedirs(os.path.join(self.tree, "src", "extra"))
        try:
            with open(os.path.join(self.tree, "src", "extra", "x.h"), "w") as f:
                f.write("#pragma once\n")
            self.assertEqual(check_layers.check(self.tree),
                             ["src/extra/x.h:1: extra has no row in the README's Layout list"])
        finally:
            shutil.rmtree(os.path.join(self.tree, "src", "extra"))

    def test_the_build_links_each_layer_to_the_layers_it_lists(self):
        table = check_layers.read_table(os.path.join(ROOT, "README.md"))
        self.assertEqual(table["platform"], set())
        self.assertEqual(table["model"], set())
        self.assertEqual(table["import"], {"model", "system", "gis_seam"})
        self.assertEqual(table["section"], {"render", "camera", "export", "surface", "model"})
        self.assertEqual(table["cli"], table["app"] | {"app"})


if __name__ == "__main__":
    unittest.main()
