"""The ends of the pipes: a reader of standard output that goes away, a reader of
standard error that goes away, standard streams closed at start, and where the engine is
looked for."""

import os
import shutil
import subprocess
import time
import unittest

from harness import (LOAD_FAILED, RUNNER, WINDOWS, calls, default_planes, every_stdout_mode,
                     run_result, runner_case, text, y4m_frame)

READER_GONE = 141
STREAM_BUFFER = 64 * 1024  # the runner's buffer for standard output in the stream modes

# 640x480 8-bit 4:2:0: a frame record of 460806 bytes.
FRAME_BYTES = 6 + 640 * 480 * 3 // 2
LONG_VIDEO = ["video 640 480 25 1 3000", "prepared"]
# 16-bit stereo: a chunk of 65536 samples is 256 KiB.
CHUNK_BYTES = 65536 * 4
LONG_AUDIO = ["video 64 48 25 1 1", "audio 48000 2 2 300000000", "prepared"]


def only_progress(err):
    """True when standard error holds progress lines and nothing else."""
    return all(line.startswith((b"qel_render,", b"qel_progress,"))
               for line in err.splitlines() if line.strip())


def fetched(trace):
    return calls(trace, "get_frame ", "get_audio ")


class reader_of_stdout_gone(runner_case):
    def run_until_reader_leaves(self, args, clip_lines):
        """Reads the first megabyte of the stream, stops reading until the runner is held
        up by the full pipe, marks the trace, then closes the pipe. Returns the result and
        the seconds from the close to the runner's end."""
        self.reset_trace()
        err_path = self.path("stderr.txt")
        with open(err_path, "wb") as err:
            proc = self.start_runner(*args, self.clip(*clip_lines), stdout=subprocess.PIPE,
                                     stderr=err)
            received = 0
            while received < 1 << 20:
                chunk = proc.stdout.read1(1 << 20)
                self.assertTrue(chunk, "the stream ended early")
                received += len(chunk)
            time.sleep(1.5)  # the pipe fills and the runner waits in a write
            with open(self.trace_path(), "a") as trace:
                trace.write("reader_gone\n")
            proc.stdout.close()
            left = time.monotonic()
            code = proc.wait(timeout=60)
            seconds = time.monotonic() - left
        with open(err_path, "rb") as f:
            return run_result(code, b"", f.read(), self.read_trace()), seconds

    def test_the_run_ends_at_once_with_141_and_fetches_no_more(self):
        cases = [
            (["--y4m"], LONG_VIDEO, FRAME_BYTES),
            (["--y4m-skip-drop", "30", "1"], LONG_VIDEO, FRAME_BYTES),
            (["--wav"], LONG_AUDIO, CHUNK_BYTES),
        ]
        for args, clip_lines, unit in cases:
            with self.subTest(verb=args[0]):
                result, seconds = self.run_until_reader_leaves(args, clip_lines)
                self.assertEqual(result.code, READER_GONE, result.err)
                self.assertLess(seconds, 5)
                self.assertTrue(only_progress(result.err), result.err)
                after = fetched(result.trace[result.trace.index("reader_gone"):])
                self.assertLessEqual(len(after), STREAM_BUFFER // unit + 1, after)
                self.assertLess(len(fetched(result.trace)), 100)

    def run_into_closed_pipe(self, *args):
        """Runs with standard output a pipe whose reader is gone before the start."""
        self.reset_trace()
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            proc = self.start_runner(*args, stdout=write_end, stderr=subprocess.PIPE)
        finally:
            os.close(write_end)
        _, err = proc.communicate(timeout=60)
        return run_result(proc.returncode, b"", err, self.read_trace())

    def test_every_mode_that_writes_to_stdout_ends_with_141(self):
        for args, fetches in every_stdout_mode(self):
            with self.subTest(args=args[0]):
                result = self.run_into_closed_pipe(*args)
                self.assertEqual(result.code, READER_GONE, result.err)
                self.assertTrue(only_progress(result.err), result.err)
                self.assertEqual(fetched(result.trace), fetches)

    def test_a_validation_run_log_ends_with_exit_141(self):
        clip = self.clip("video 64 48 25 1 5")
        result = self.run_into_closed_pipe("--validate", clip, "f.csv")
        self.assertEqual(result.code, READER_GONE)
        with open(self.path("f.csv.runner.log"), "rb") as f:
            lines = f.read().decode().splitlines()
        self.assertEqual(lines[-3:], ["render: clip_info", "render: open validation csv",
                                      "exit: 141"])

    def test_a_failure_told_before_keeps_its_code(self):
        result = self.run_into_closed_pipe("--check-source", "8",
                                           self.clip("video 64 48 25 1 1", "prop * qel_source_id int 7"))
        self.assertEqual(result.code, 15)
        self.assertEqual(result.err, text("frame 0 has qel_source_id 7, expected 8\n"))


class reader_of_stderr_gone(runner_case):
    def test_the_stream_arrives_whole_and_the_run_succeeds(self):
        frames = 40
        clip = self.clip(f"video 64 48 25 1 {frames}", "delay * 20")  # progress lines come
        self.reset_trace()
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            proc = self.start_runner("--y4m", clip, stdout=subprocess.PIPE, stderr=write_end)
        finally:
            os.close(write_end)
        out, _ = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, 0)
        planes = default_planes(64, 48)
        self.assertEqual(out, b"YUV4MPEG2 W64 H48 F25:1 Ip A0:0 C420jpeg\n"
                         + b"".join(y4m_frame(f, planes) for f in range(frames)))


@unittest.skipIf(WINDOWS, "under wine, wine takes closed descriptors for its own server connection before the program starts")
class closed_standard_streams(runner_case):
    def run_validation(self, closed):
        """--validate with a CSV, the descriptors in closed shut before the program starts;
        returns the exit code, the CSV and the run log."""
        self.reset_trace()
        clip = self.clip("video 64 48 25 1 30", "prop * qel_source_id int 5")
        closing = " ".join(f"{fd}>&-" for fd in closed)
        proc = self.start_runner("-c", f'exec "$0" "$@" {closing}', RUNNER, "--validate", clip,
                                 "f.csv", program="/bin/sh", stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE)
        proc.communicate(timeout=60)
        return proc.returncode, self.read("f.csv"), self.read("f.csv.runner.log")

    def test_files_are_those_of_a_run_with_every_stream_open(self):
        expected = self.run_validation(())
        self.assertEqual(expected[0], 0)
        for closed in ((1,), (2,), (1, 2), (0, 1, 2)):
            with self.subTest(closed=closed):
                self.assertEqual(self.run_validation(closed), expected)


class engine_search(runner_case):
    def test_a_library_in_the_working_directory_alone_is_not_loaded(self):
        self.copy_library("full", self.dir)
        result = self.run_runner("--y4m", self.clip("video 64 48 25 1 1"), variant=None)
        self.assert_failed_with(result, 2, LOAD_FAILED)

    @unittest.skipUnless(WINDOWS, "only Windows looks beside the program")
    def test_a_library_beside_the_program_is_loaded(self):
        folder = self.path("program")
        self.copy_library("full", folder)
        program = shutil.copy(RUNNER, folder)
        result = self.run_runner("--y4m", self.clip("video 64 48 25 1 1"), variant=None,
                                 program=program)
        self.assertEqual(result.code, 0, result.err)


if __name__ == "__main__":
    unittest.main()
