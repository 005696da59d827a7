"""Outputs that cannot be written: standard output on a full device, a validation CSV
that cannot be written, and a filesystem that fills during the run. Each ends the run
with 16 and one message; a failure told before keeps its code."""

import contextlib
import os
import subprocess
import tempfile
import unittest

from harness import WINDOWS, calls, every_stdout_mode, run_result, runner_case, text

FULL = "No space left on device"
STDOUT_FAILED = f"failed to write standard output: {FULL}\n"
STREAM_BUFFER = 64 * 1024  # the runner's buffer for standard output in the stream modes
HEADER = ("output_frame,source_id,source_frame,drop_frame,matrix,primaries,transfer,"
          "color_range,absolute_timestretch\n")


def messages(err):
    """Standard error without its progress lines."""
    return b"".join(line for line in err.splitlines(keepends=True)
                    if not line.startswith((b"qel_render,", b"qel_progress,")))


class write_failure_case(runner_case):
    def run_into(self, stdout_path, *args, **options):
        """Runs the program with standard output written to stdout_path."""
        self.reset_trace()
        with open(stdout_path, "wb") as out:
            proc = self.start_runner(*args, stdout=out, stderr=subprocess.PIPE, **options)
            _, err = proc.communicate(timeout=120)
        return run_result(proc.returncode, b"", err, self.read_trace())

    def run_log_tail(self, name, lines):
        with open(self.path(name + ".runner.log"), "rb") as f:
            return f.read().decode().splitlines()[-lines:]


class standard_output_full(write_failure_case):
    def test_every_mode_ends_with_16_and_one_message(self):
        for args, fetches in every_stdout_mode(self):
            with self.subTest(args=args[0]):
                result = self.run_into("/dev/full", *args)
                self.assertEqual(messages(result.err), text(STDOUT_FAILED))
                self.assertEqual(result.code, 16)
                self.assertEqual(calls(result.trace, "get_frame ", "get_audio "), fetches)
        self.assertEqual(self.run_log_tail("f.csv", 3),
                         ["render: clip_info", "render: open validation csv", "exit: 16"])

    def test_a_stream_small_enough_for_the_buffer_fails_at_the_end(self):
        for args, lines in ((["--y4m"], ["video 4 2 25 1 0"]),
                            (["--wav"], ["video 4 2 25 1 1", "audio 48000 2 1 100"]),
                            (["--validate"], ["video 4 2 25 1 0"])):
            with self.subTest(args=args):
                result = self.run_into("/dev/full", *args, self.clip(*lines))
                self.assertEqual(messages(result.err), text(STDOUT_FAILED))
                self.assertEqual(result.code, 16)

    def test_a_failure_told_before_keeps_its_code_and_message(self):
        cases = [
            (["--check-source", "8"], ["video 64 48 25 1 1", "prop * qel_source_id int 7"],
             "frame 0 has qel_source_id 7, expected 8\n", 15),
            (["--y4m"], ["video 64 48 25 1 3", "format none 8", "legacy none", "pixel_type 9"],
             "unsupported Avisynth pixel format for Y4M output: 9\n", 4),
            (["--wav"], ["video 64 48 25 1 1", "audio 48000 2 2 1000", "audio_fail 0 text gone"],
             "failed to get audio at sample 0: gone\n", 9),
            (["--wav"], ["video 64 48 25 1 1", "audio 48000 1 2 1000"],
             "unsupported Avisynth audio sample type for WAV output: 1\n", 7),
            (["--check-source", "7"], ["video 64 48 25 1 3", "fetch_fail 0 text gone"],
             "failed to get frame 0: gone\n", 5),
        ]
        for args, lines, message, code in cases:
            with self.subTest(message=message):
                result = self.run_into("/dev/full", *args, self.clip(*lines))
                self.assertEqual(messages(result.err), text(message))
                self.assertEqual(result.code, code)


class validation_csv_unwritable(write_failure_case):
    def test_a_csv_on_a_full_device_ends_with_16_without_the_completion_line(self):
        os.symlink("/dev/full", self.path("full.csv"))
        result = self.run_runner("--validate", self.clip("video 4 2 25 1 3"), "full.csv")
        self.assertEqual(result.code, 16)
        self.assertEqual(messages(result.err),
                         text(f"failed to write validation CSV full.csv: {FULL}\n"))
        self.assertTrue(result.out.startswith(text("clip_info,")), result.out)
        self.assertNotIn(b"rendered=", result.out)
        self.assertEqual(calls(result.trace, "get_frame "), [])
        self.assertEqual(self.run_log_tail("full.csv", 2), ["render: open validation csv", "exit: 16"])


@contextlib.contextmanager
def small_filesystem(test, size):
    """A tmpfs of size bytes, mounted for the test; skips the test where mounting is
    refused (not root, or no permission to mount)."""
    folder = tempfile.mkdtemp(prefix="qel_small_")
    proc = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder],
                          capture_output=True)
    if proc.returncode != 0:
        os.rmdir(folder)
        test.skipTest("cannot mount a small tmpfs here: " + proc.stderr.decode().strip())
    try:
        yield folder
    finally:
        subprocess.run(["umount", folder], check=True)
        os.rmdir(folder)


@unittest.skipIf(WINDOWS, "mounts a filesystem of this machine")
class filesystem_that_fills(write_failure_case):
    def test_a_y4m_stream_stops_within_one_buffer_of_the_first_failed_write(self):
        frame_bytes = 6 + 64 * 48 * 3 // 2
        with small_filesystem(self, 256 * 1024) as folder:
            stream = os.path.join(folder, "job.y4m")
            result = self.run_into(stream, "--y4m", self.clip("video 64 48 25 1 500"))
            written = os.path.getsize(stream)
        self.assertEqual(messages(result.err), text(STDOUT_FAILED))
        self.assertEqual(result.code, 16)
        self.assertEqual(written, 256 * 1024)
        fetched = len(calls(result.trace, "get_frame "))
        # Frames that could not reach the disk: at most a buffer's worth and the frame in
        # hand when the write failed.
        self.assertLessEqual(fetched * frame_bytes - written, STREAM_BUFFER + frame_bytes)
        self.assertLess(fetched, 500)

    def test_a_validation_csv_stops_within_one_buffer_of_the_first_failed_write(self):
        frames = 20000
        with small_filesystem(self, 64 * 1024) as folder:
            csv = os.path.join(folder, "frames.csv")
            result = self.run_runner("--validate", self.clip(f"video 4 2 25 1 {frames}"), csv)
            with open(csv, "rb") as f:
                written = f.read().decode()
        self.assertEqual(messages(result.err), text(f"failed to write validation CSV {csv}: {FULL}\n"))
        self.assertEqual(result.code, 16)
        self.assertNotIn(b"rendered=", result.out)
        promised = HEADER + "".join(f"{k},,,0,,0,0,0,\n" for k in range(frames))
        self.assertTrue(promised.startswith(written))
        fetched = len(calls(result.trace, "get_frame "))
        rows_written = written.count("\n") - 1
        row_bytes = len("10000,,,0,,0,0,0,\n")
        self.assertLessEqual((fetched - rows_written) * row_bytes, 8192 + row_bytes)
        self.assertLess(fetched, frames)


if __name__ == "__main__":
    unittest.main()
