"""Progress lines on standard error: first and last lines, cadence, labels, estimates."""

import unittest

from harness import runner_case


def progress(err):
    """The progress lines as (label, done, total, percent, elapsed, remaining)."""
    rows = []
    for line in err.decode().splitlines():
        label, done, total, percent, elapsed, remaining = line.split(",")
        rows.append((label, int(done), int(total), percent, float(elapsed), float(remaining)))
    return rows


class progress_lines(runner_case):
    def test_a_fast_clip_gets_its_first_and_last_line_only(self):
        cases = [
            (["--y4m"], "qel_render"),
            (["--y4m-skip-drop", "30", "1"], "qel_render"),
            (["--validate"], "qel_progress"),
            (["--validate-real"], "qel_progress"),
        ]
        for verb, label in cases:
            with self.subTest(verb=verb[0]):
                result = self.run_runner(*verb, self.clip("video 4 2 25 1 5",
                                                          "prop 2 qel_drop_frame int 1"))
                lines = result.err.decode().splitlines()
                self.assertEqual(len(lines), 2)
                self.assertEqual(lines[0], f"{label},0,5,0.00,0.000,0.000")
                last = progress(result.err)[1]
                self.assertEqual(last[:4], (label, 5, 5, "100.00"))
                self.assertEqual(last[5], 0.0)

    def test_a_clip_of_no_frames_gets_a_single_line(self):
        for verb, label in ((["--y4m"], "qel_render"), (["--validate"], "qel_progress")):
            with self.subTest(verb=verb[0]):
                result = self.run_runner(*verb, self.clip("video 4 2 25 1 0"))
                self.assertEqual(result.err.decode().splitlines(),
                                 [f"{label},0,0,100.00,0.000,0.000"])

    def test_lines_follow_the_half_second_cadence(self):
        # Frames of 0.3 s: lines after frame 2 (0.6 s) and frame 4, the last.
        result = self.run_runner("--y4m", self.clip("video 4 2 25 1 4", "delay * 300"))
        rows = progress(result.err)
        self.assertEqual([row[1] for row in rows], [0, 2, 4])
        label, done, total, percent, elapsed, remaining = rows[1]
        self.assertEqual(percent, "50.00")
        self.assertGreaterEqual(elapsed, 0.6)
        # h = 1: only frame 2's time counts, two frames left.
        self.assertAlmostEqual(remaining, 2 * 0.3, delta=0.15)
        self.assertEqual(rows[2][5], 0.0)

    def test_the_first_frame_estimate_uses_the_pace_since_the_start(self):
        result = self.run_runner("--validate", self.clip("video 4 2 25 1 100", "delay 0 600"))
        rows = progress(result.err)
        label, done, total, percent, elapsed, remaining = rows[1]
        self.assertEqual((label, done, total, percent), ("qel_progress", 1, 100, "1.00"))
        self.assertAlmostEqual(remaining, 99 * elapsed, delta=99 * 0.0005 + 0.001)

    def test_wav_and_source_check_print_no_progress(self):
        clip = self.clip("video 4 2 25 1 3", "audio 48000 2 2 10", "prop * qel_source_id int 1")
        for args in (["--wav", clip], ["--check-source", "1", clip]):
            with self.subTest(args=args[0]):
                result = self.run_runner(*args)
                self.assertEqual(result.code, 0)
                self.assertEqual(result.err, b"")


if __name__ == "__main__":
    unittest.main()
