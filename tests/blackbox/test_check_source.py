"""--check-source: frame 0's "qel_source_id" against the command line's identity."""

import unittest

from harness import calls, runner_case, text

INT64_MAX = 9223372036854775807
INT64_MIN = -9223372036854775808

# fixture lines, expected identity text, exit code, expected stdout, expected stderr
OUTCOMES = [
    (["video 64 48 25 1 0"], "1", 13, "", "script has no video frames\n"),
    (["video 64 48 25 1 -3"], "1", 13, "", "script has no video frames\n"),
    (["fetch_fail 0"], "1", 5, "", "failed to get frame 0\n"),
    (["fetch_fail 0 text"], "1", 5, "", "failed to get frame 0: \n"),
    (["fetch_fail 0 text source gone: %s"], "1", 5, "", "failed to get frame 0: source gone: %s\n"),
    (["prop * qel_source_id float 5"], "5", 12, "", "failed to read qel_source_id at frame 0\n"),
    (["prop * qel_source_id data"], "5", 12, "", "failed to read qel_source_id at frame 0\n"),
    (["props_map 0 error", "prop * qel_source_id int 5"], "5", 12, "",
     "failed to read qel_source_id at frame 0\n"),
    ([], "5", 14, "", "frame 0 is missing qel_source_id\n"),
    (["prop * qel_source_idx int 5"], "5", 14, "", "frame 0 is missing qel_source_id\n"),
    (["props_map 0 none", "prop * qel_source_id int 5"], "5", 14, "",
     "frame 0 is missing qel_source_id\n"),
    (["prop 0 qel_source_id int"], "5", 14, "", "frame 0 is missing qel_source_id\n"),  # no element 0
    (["prop * qel_source_id int 5"], "6", 15, "", "frame 0 has qel_source_id 5, expected 6\n"),
    (["prop * qel_source_id int -1"], "1", 15, "", "frame 0 has qel_source_id -1, expected 1\n"),
    (["prop * qel_source_id int 5"], "5", 0, "source_id=5\n", ""),
    (["prop * qel_source_id int -1"], "-1", 0, "source_id=-1\n", ""),
    (["prop * qel_source_id int 7"], "0007", 0, "source_id=7\n", ""),
    (["prop * qel_source_id int 7"], "  +7xyz", 0, "source_id=7\n", ""),
    (["prop * qel_source_id int 0"], "abc", 0, "source_id=0\n", ""),
    (["prop * qel_source_id int 0"], "", 0, "source_id=0\n", ""),
    ([f"prop * qel_source_id int {INT64_MAX}"], "99999999999999999999", 0,
     f"source_id={INT64_MAX}\n", ""),
    ([f"prop * qel_source_id int {INT64_MIN}"], "-99999999999999999999", 0,
     f"source_id={INT64_MIN}\n", ""),
    ([f"prop * qel_source_id int {INT64_MIN}"], str(INT64_MAX), 15, "",
     f"frame 0 has qel_source_id {INT64_MIN}, expected {INT64_MAX}\n"),
    (["prop * qel_source_id int 5 6 7"], "5", 0, "source_id=5\n", ""),
    # Only frame 0 counts: later frames may fail or carry another identity.
    (["video 64 48 25 1 3", "prop * qel_source_id int 5", "prop 1 qel_source_id int 9",
      "fetch_fail 2 text broken"], "5", 0, "source_id=5\n", ""),
]


class check_source(runner_case):
    def test_outcomes(self):
        for lines, expected, code, out, err in OUTCOMES:
            with self.subTest(fixture=lines, expected=expected):
                result = self.run_runner("--check-source", expected, self.clip(*lines))
                self.assertEqual(result.err, text(err))
                self.assertEqual(result.out, text(out))
                self.assertEqual(result.code, code)
                fetched = calls(result.trace, "get_frame ")
                self.assertEqual(fetched, [] if code == 13 else
                                 ["get_frame 0 failed"] if code == 5 else ["get_frame 0 held 1"])

    def test_frame_0_is_released_before_the_outcome_is_printed(self):
        cases = [
            ("prop * qel_source_id int 5", "5", "source_id=5"),
            ("prop * qel_source_id int 5", "6", "frame 0 has qel_source_id 5, expected 6"),
            ("prop * qel_source_id float 5", "5", "failed to read qel_source_id at frame 0"),
            ("# none", "5", "frame 0 is missing qel_source_id"),
        ]
        for line, expected, printed in cases:
            with self.subTest(printed=printed):
                result = self.run_runner("--check-source", expected, self.clip(line),
                                         interleave=True)
                self.assertEqual(result.trace[-3:], [
                    "prop_get_int qel_source_id", "release_frame 0 held 0", printed])

    def test_no_progress_no_audio_and_no_variable(self):
        result = self.run_runner("--check-source", "5",
                                 self.clip("video 64 48 25 1 10", "audio 48000 2 2 100",
                                           "prop * qel_source_id int 5"))
        self.assertEqual(result.err, b"")
        self.assertEqual(calls(result.trace, "get_audio", "set_var"), [])


if __name__ == "__main__":
    unittest.main()
