"""What a user installs: cmake --install gives a program that runs, with the README and
the examples beside it, and the Windows zip holds the same."""

import glob
import os
import subprocess
import unittest
import zipfile

from harness import WINDOWS, runner_case

BUILD = os.environ.get("QEL_BUILD_DIR")
EXAMPLES = sorted(os.path.basename(p) for p in glob.glob(os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples", "avisynth", "*.avs")))
PROGRAM = "qel_avs_runner.exe" if WINDOWS else "qel_avs_runner"


@unittest.skipUnless(BUILD, "needs the build folder")
class installed(runner_case):
    def test_the_installed_program_runs_a_job(self):
        prefix = self.path("prefix")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True,
                       capture_output=True)
        doc = os.path.join(prefix, "share", "doc", "qel_avs_runner")
        self.assertTrue(os.path.isfile(os.path.join(doc, "README.md")))
        self.assertEqual(sorted(os.listdir(os.path.join(doc, "examples"))), EXAMPLES)
        program = os.path.join(prefix, "bin", PROGRAM)
        result = self.run_runner("--check-source", "3",
                                 self.clip("video 64 48 25 1 1", "prop * qel_source_id int 3"),
                                 program=program)
        self.assertEqual(result.code, 0, result.err)

    @unittest.skipUnless(WINDOWS, "the zip is the Windows package")
    def test_the_zip_holds_the_program_the_readme_and_the_examples(self):
        subprocess.run(["cpack", "-G", "ZIP", "-B", self.dir], cwd=BUILD, check=True,
                       capture_output=True)
        packages = glob.glob(self.path("qel_avs_runner-*-win64.zip"))
        self.assertEqual(len(packages), 1)
        with zipfile.ZipFile(packages[0]) as package:
            names = {name.split("/", 1)[1] for name in package.namelist()}
        self.assertIn("bin/qel_avs_runner.exe", names)
        self.assertIn("share/doc/qel_avs_runner/README.md", names)
        for example in EXAMPLES:
            self.assertIn("share/doc/qel_avs_runner/examples/" + example, names)


if __name__ == "__main__":
    unittest.main()
