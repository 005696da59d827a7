"""The command line: what is rejected before the engine is looked for, and what gets through."""

import unittest

from harness import USAGE, runner_case, text

REJECTED = [
    [],
    ["--validate"],
    ["--y4m"],
    ["--bogus", "clip.avs"],
    ["--Y4M", "clip.avs"],
    ["--y4m-skip", "30", "1", "clip.avs"],
    ["--validate-realx", "clip.avs"],
    ["-validate", "clip.avs"],
    ["--validate", "clip.avs", "a.csv", "extra"],
    ["--validate-real", "clip.avs", "a.csv", "extra"],
    ["--y4m", "clip.avs", "extra"],
    ["--wav", "clip.avs", "extra"],
    ["--check-source", "clip.avs"],
    ["--check-source", "1", "clip.avs", "extra"],
    ["--y4m-skip-drop", "30", "clip.avs"],
    ["--y4m-skip-drop", "30", "1"],
    ["--y4m-skip-drop", "30", "1", "clip.avs", "extra"],
    ["--y4m-skip-drop", "0", "0", "clip.avs", "extra"],  # the count is tested first
    ["--validate", "a", "b", "c", "d", "e"],
]

BAD_FRAME_RATES = [
    ("0", "1"),
    ("30", "0"),
    ("0", "0"),
    ("abc", "1"),
    ("30", "x1"),
    ("", "1"),
    ("-0", "1"),
]


class command_line(runner_case):
    def test_rejected_command_lines_print_the_usage_text_only(self):
        for args in REJECTED:
            for variant in ("full", None):
                with self.subTest(args=args, engine=variant):
                    result = self.run_runner(*args, variant=variant)
                    self.assertEqual(result.err, text(USAGE))
                    self.assertEqual(result.out, b"")
                    self.assertEqual(result.code, 2)
                    self.assertEqual(result.trace, [], "the engine was loaded")

    def test_a_zero_frame_rate_gets_its_own_message(self):
        clip = self.clip("video 64 48 25 1 1")
        for num, den in BAD_FRAME_RATES:
            with self.subTest(num=num, den=den):
                result = self.run_runner("--y4m-skip-drop", num, den, clip)
                self.assertEqual(result.err,
                                 text("Y4M fps numerator and denominator must be positive\n"))
                self.assertEqual(result.out, b"")
                self.assertEqual(result.code, 2)
                self.assertEqual(result.trace, [])

    def test_accepted_command_lines_import_the_script_path(self):
        clip = self.clip("video 64 48 25 1 0")
        accepted = [
            ["--validate", clip],
            ["--validate", clip, self.path("out.csv")],
            ["--validate-real", clip],
            ["--validate-real", clip, self.path("out.csv")],
            ["--check-source", "1", clip],
            ["--y4m", clip],
            ["--y4m-skip-drop", "-1", "24fps", clip],
            ["--y4m-skip-drop", " +30", "99999999999", clip],
            ["--wav", clip],
        ]
        for args in accepted:
            with self.subTest(args=args):
                result = self.run_runner(*args)
                self.assertIn("invoke Import " + clip, result.trace)

    def test_the_script_path_is_handed_over_unchanged(self):
        clip = self.clip("video 64 48 25 1 0", name="odd DIR/Name with %d %s.AVS")
        result = self.run_runner("--wav", clip)
        self.assertIn("invoke Import " + clip, result.trace)


if __name__ == "__main__":
    unittest.main()
