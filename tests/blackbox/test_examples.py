"""The AviSynth+ script examples: each begins with the command it is meant for, and the
runner accepts that command's verb and arguments up to the engine, where the stand-in,
which reads its own clip descriptions and not AviSynth scripts, stops at the script's
first statement."""

import glob
import os
import shlex
import shutil
import unittest

from harness import runner_case, text

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                        "avisynth")


def first_statement_line(path):
    """The number of the first line that is neither blank nor a comment."""
    with open(path) as f:
        for number, line in enumerate(f, 1):
            if line.strip() and not line.lstrip().startswith("#"):
                return number
    return None


class script_examples(runner_case):
    def test_there_are_examples_for_every_verb_that_reads_the_script_side(self):
        verbs = {self.command(path)[1] for path in glob.glob(os.path.join(EXAMPLES, "*.avs"))}
        self.assertTrue({"--check-source", "--y4m-skip-drop", "--validate", "--wav"} <= verbs)

    def command(self, path):
        """The example's first line as the argument vector of the runner."""
        with open(path) as f:
            first = f.readline()
        self.assertTrue(first.startswith("# qel_avs_runner "), first)
        words = shlex.split(first[1:])
        return words[:words.index("|")] if "|" in words else words

    def test_each_first_line_is_a_command_the_runner_takes(self):
        for path in sorted(glob.glob(os.path.join(EXAMPLES, "*.avs"))):
            name = os.path.basename(path)
            with self.subTest(example=name):
                args = self.command(path)
                self.assertEqual(args[0], "qel_avs_runner")
                self.assertIn(name, args, "the command names its own script")
                shutil.copy(path, self.path(name))
                result = self.run_runner(*args[1:])
                self.assertEqual(result.err, text(
                    f"stand-in: cannot read line {first_statement_line(path)} of {name}\n"))
                self.assertEqual(result.code, 1)
                self.assertIn("invoke Import " + name, result.trace)


if __name__ == "__main__":
    unittest.main()
