"""The validation variable, the import and its three outcomes, and what is released."""

import unittest

from harness import calls, runner_case, text


class import_script(runner_case):
    def test_an_error_value_prints_its_text_and_one_line_feed(self):
        cases = [
            ("Script error: no such function\\n(clip.avs, line 3, column 1)",
             "Script error: no such function\n(clip.avs, line 3, column 1)\n"),
            ("ends in a line feed\\n", "ends in a line feed\n\n"),
            ("100% sure %s %d", "100% sure %s %d\n"),
            ("", "\n"),
        ]
        for raw, printed in cases:
            with self.subTest(text=raw):
                result = self.run_runner("--validate", self.clip("result error", "text " + raw),
                                         interleave=True)
                self.assertEqual(result.code, 1)
                # Printed before the value that holds the text is released.
                self.assertEqual(result.trace[3:], [
                    "invoke Import " + self.path("clip.avs")]
                    + printed.splitlines() + ["release_value e", "delete_env", "unload"])

    def test_error_output_goes_to_standard_error_alone(self):
        result = self.run_runner("--wav", self.clip("result error", "text broken"))
        self.assert_failed_with(result, 1, "broken\n")

    def test_a_missing_script_is_the_engine_error(self):
        missing = self.path("missing.avs")
        result = self.run_runner("--y4m", missing)
        self.assert_failed_with(result, 1, f'Import: couldn\'t open "{missing}"\n')

    def test_a_result_that_is_no_clip(self):
        for kind, letter in (("int", "i"), ("float", "f"), ("string", "s"), ("bool", "b"),
                             ("void", "v")):
            with self.subTest(kind=kind):
                result = self.run_runner("--check-source", "1",
                                         self.clip("result " + kind, "text some text"))
                self.assert_failed_with(result, 3, "script did not return a clip\n")
                self.assertEqual(result.trace, [
                    "create_env 8", "check_version 9", "invoke Import " + self.path("clip.avs"),
                    "release_value " + letter, "delete_env", "unload"])

    def test_a_clip_is_taken_then_its_value_released_then_its_information_read(self):
        result = self.run_runner("--check-source", "1",
                                 self.clip("video 64 48 25 1 1", "prop * qel_source_id int 1"))
        self.assertEqual(result.code, 0)
        self.assertEqual(result.trace[:6], [
            "create_env 8", "check_version 9", "invoke Import " + self.path("clip.avs"), "take_clip",
            "release_value c", "get_video_info"])
        self.assertEqual(len(calls(result.trace, "release_value")), 1)

    def test_nothing_is_torn_down_once_the_clip_is_taken(self):
        clip = self.clip("video 64 48 25 1 2", "prop * qel_source_id int 1", "audio 48000 2 2 10")
        runs = [
            ("--check-source", "1", clip),        # success
            ("--check-source", "2", clip),        # mismatch
            ("--wav", clip),
            ("--validate", clip, self.path("x.csv")),
            ("--y4m", clip),
        ]
        for args in runs:
            with self.subTest(args=args):
                result = self.run_runner(*args)
                self.assertIn("take_clip", result.trace)
                self.assertEqual(calls(result.trace, "delete_env", "unload"), [])

    def test_the_validation_variable_is_set_before_the_import_in_validation_modes_only(self):
        clip = self.clip("video 64 48 25 1 0", "audio 48000 2 2 0")
        expected = {
            ("--validate", clip): ["set_var qel_validation_blank b 1"],
            ("--validate", clip, self.path("x.csv")): ["set_var qel_validation_blank b 1"],
            ("--validate-real", clip): ["set_var qel_validation_blank b 0"],
            ("--check-source", "1", clip): [],
            ("--y4m", clip): [],
            ("--y4m-skip-drop", "30", "1", clip): [],
            ("--wav", clip): [],
        }
        for args, set_vars in expected.items():
            with self.subTest(args=args):
                result = self.run_runner(*args)
                head = calls(result.trace, "set_var", "invoke")
                self.assertEqual(head, set_vars + ["invoke Import " + clip])


if __name__ == "__main__":
    unittest.main()
