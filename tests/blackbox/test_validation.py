"""The validation modes: clip information line, CSV of frame properties, completion
line, and the run log's render checkpoints."""

import os
import unittest

from harness import calls, library_path, runner_case, text

HEADER = (b"output_frame,source_id,source_frame,drop_frame,matrix,primaries,transfer,"
          b"color_range,absolute_timestretch\n")

INT64_MAX = 9223372036854775807
INT64_MIN = -9223372036854775808

ALL_KEYS = ["qel_source_id", "qel_source_frame", "qel_drop_frame", "_Matrix", "_Primaries",
            "_Transfer", "_ColorRange"]


def props(values, timestretch=None, frame="*"):
    lines = [f"prop {frame} {key} int {value}" for key, value in zip(ALL_KEYS, values)]
    if timestretch is not None:
        lines.append(f"prop {frame} qel_absolute_timestretch float {timestretch}")
    return lines


class clip_info(runner_case):
    def test_clip_information_lines(self):
        cases = [
            ("with audio", ["video 1920 1080 30000 1001 250", "format 420 8", "audio 48000 2 2 96000"],
             "clip_info,width=1920,height=1080,chroma=C420jpeg,bit_depth=8,frames=250,fps_num=30000,"
             "fps_den=1001,has_audio=1,audio_rate=48000,audio_channels=2,audio_samples=96000\n"),
            ("without audio", ["video 640 480 25 1 0", "format 422 10", "audio 0 2 6 77"],
             "clip_info,width=640,height=480,chroma=C422p10,bit_depth=10,frames=0,fps_num=25,"
             "fps_den=1,has_audio=0,audio_rate=0,audio_channels=6,audio_samples=77\n"),
            ("no tag", ["video 64 48 4294967295 2147483648 0", "format 420 32", "audio 44100 16 1 1099511627776"],
             "clip_info,width=64,height=48,chroma=unknown,bit_depth=32,frames=0,fps_num=4294967295,"
             "fps_den=2147483648,has_audio=1,audio_rate=44100,audio_channels=1,"
             "audio_samples=1099511627776\n"),
            ("no format at all", ["video 64 48 25 1 0", "format none 0", "legacy none"],
             "clip_info,width=64,height=48,chroma=unknown,bit_depth=8,frames=0,fps_num=25,"
             "fps_den=1,has_audio=0,audio_rate=0,audio_channels=0,audio_samples=0\n"),
        ]
        for name, lines, expected in cases:
            with self.subTest(name):
                result = self.run_runner("--validate", self.clip(*lines))
                self.assertEqual(result.code, 0)
                frames = lines[0].split()[5]
                self.assertEqual(result.out, text(expected + f"rendered={frames}\n"))

    def test_without_a_csv_no_property_is_read(self):
        result = self.run_runner("--validate-real", self.clip("video 4 2 25 1 3", "props_map * error",
                                                              "prop * qel_source_id float 1"))
        self.assertEqual(result.code, 0)
        self.assertEqual(calls(result.trace, "get_frame_props", "prop_get"), [])
        self.assertEqual(len(calls(result.trace, "get_frame ")), 3)


class validation_csv(runner_case):
    def csv_of(self, *lines, frames=1, code=0):
        result = self.run_runner("--validate", self.clip(f"video 4 2 25 1 {frames}", *lines), "f.csv")
        self.assertEqual(result.code, code, result.err)
        data = self.read("f.csv")
        self.assertTrue(data.startswith(HEADER))
        return result, data[len(HEADER):]

    def test_the_header_is_106_bytes(self):
        self.assertEqual(len(HEADER), 106)
        result, rows = self.csv_of(frames=0)
        self.assertEqual(rows, b"")
        self.assertEqual(result.out, text(
            "clip_info,width=4,height=2,chroma=C420jpeg,bit_depth=8,frames=0,fps_num=25,fps_den=1,"
            "has_audio=0,audio_rate=0,audio_channels=0,audio_samples=0\nrendered=0\n"))

    def test_rows(self):
        cases = [
            ("no properties", [], b"0,,,0,,0,0,0,\n"),
            ("no property map", ["props_map * none", *props([1] * 7, 1.0)], b"0,,,0,,0,0,0,\n"),
            ("every property", props([5, 17, 1, 9, 2, 13, 1], 0.5), b"0,5,17,1,9,2,13,1,0.5\n"),
            ("zeros", props([0] * 7, 0.0), b"0,0,0,0,0,0,0,0,0\n"),
            ("extremes", props([INT64_MAX, INT64_MIN, -1, INT64_MIN, INT64_MAX, -7, 3]),
             f"0,{INT64_MAX},{INT64_MIN},-1,{INT64_MIN},{INT64_MAX},-7,3,\n".encode()),
            ("several elements", ["prop * qel_source_id int 4 5 6",
                                  "prop * qel_absolute_timestretch float 2.5 9"],
             b"0,4,,0,,0,0,0,2.5\n"),
            ("timestretch 1.0", ["prop * qel_absolute_timestretch float 1.0"], b"0,,,0,,0,0,0,1\n"),
            ("timestretch 0.1", ["prop * qel_absolute_timestretch float 0.1"],
             b"0,,,0,,0,0,0,0.10000000000000001\n"),
            ("timestretch 1e-5", ["prop * qel_absolute_timestretch float 1e-5"],
             b"0,,,0,,0,0,0,1.0000000000000001e-05\n"),
            ("timestretch 1e17", ["prop * qel_absolute_timestretch float 1e17"],
             b"0,,,0,,0,0,0,1e+17\n"),
            ("timestretch 1e16", ["prop * qel_absolute_timestretch float 1e16"],
             b"0,,,0,,0,0,0,10000000000000000\n"),
            ("timestretch -0.0001", ["prop * qel_absolute_timestretch float -0.0001"],
             b"0,,,0,,0,0,0,-0.0001\n"),
            ("timestretch 1e-300", ["prop * qel_absolute_timestretch float 1e-300"],
             b"0,,,0,,0,0,0,1e-300\n"),
        ]
        for name, lines, row in cases:
            with self.subTest(name):
                result, rows = self.csv_of(*lines)
                self.assertEqual(rows, row)

    def test_rows_follow_the_frames(self):
        result, rows = self.csv_of("prop 1 qel_source_frame int 10", "prop 2 _Matrix int 6", frames=3)
        self.assertEqual(rows, b"0,,,0,,0,0,0,\n1,,10,0,,0,0,0,\n2,,,0,6,0,0,0,\n")

    def test_a_read_failure_closes_the_csv_after_the_earlier_rows(self):
        for key in ALL_KEYS[0], ALL_KEYS[4], "qel_absolute_timestretch":
            with self.subTest(failing=key):
                kind = "int" if key == "qel_absolute_timestretch" else "float"
                result, rows = self.csv_of("prop * qel_source_id int 3", f"prop 7 {key} {kind} 1",
                                           frames=10, code=12)
                self.assertEqual(rows, b"".join(b"%d,3,,0,,0,0,0,\n" % f for f in range(7)))
                self.assertEqual(result.err.decode().splitlines()[-1],
                                 "failed to read qelkit frame properties at frame 7")
                # All eight reads of frame 7 are made, one map per read, then the frame goes.
                tail = result.trace[result.trace.index("get_frame 7 held 1"):]
                self.assertEqual(len(calls(tail, "get_frame_props 7")), 8)
                self.assertEqual(len(calls(tail, "prop_get_")), 8)
                self.assertEqual(tail[-1], "release_frame 7 held 0")
                self.assertEqual(result.out.count(b"\n"), 1)  # no completion line

    def test_a_map_in_error_state_fails_the_row(self):
        result, rows = self.csv_of("props_map 1 error", frames=3, code=12)
        self.assertEqual(rows, b"0,,,0,,0,0,0,\n")

    def test_each_read_fetches_the_map_once(self):
        result, rows = self.csv_of(*props([1] * 7, 1.0), frames=2)
        reads = calls(result.trace, "get_frame_props", "prop_get")
        self.assertEqual(len(reads), 32)
        for i in range(0, 32, 2):
            self.assertTrue(reads[i].startswith("get_frame_props"))
            self.assertTrue(reads[i + 1].startswith("prop_get"))

    def test_a_csv_that_cannot_be_opened(self):
        for csv in ("missing/dir/f.csv", ""):
            with self.subTest(csv=csv):
                result = self.run_runner("--validate", self.clip("video 4 2 25 1 3"), csv)
                self.assertEqual(result.code, 11)
                self.assertEqual(result.out.decode().splitlines()[0][:10], "clip_info,")
                self.assertEqual(result.out.count(b"\n"), 1)
                self.assertEqual(result.err, text(f"failed to open validation CSV for writing: {csv}\n"))
                self.assertEqual(calls(result.trace, "get_frame"), [])

    def test_a_failed_fetch_ends_with_5(self):
        result = self.run_runner("--validate", self.clip("video 4 2 25 1 10", "fetch_fail 4 text gone"),
                                 "f.csv")
        self.assertEqual(result.code, 5)
        self.assertEqual(result.err.decode().splitlines()[-1], "failed to get frame 4: gone")
        self.assertEqual(result.out.count(b"\n"), 1)


class render_checkpoints(runner_case):
    def log_of(self, frames, *lines, code=0, csv="f.csv"):
        script = self.clip(f"video 4 2 25 1 {frames}", *lines)
        result = self.run_runner("--validate", script, csv)
        self.assertEqual(result.code, code)
        return script, self.read(csv + ".runner.log").decode().split("\n")[:-1]

    def test_frame_checkpoints(self):
        for frames, checkpoints in ((0, []), (1, [0]), (2, [0, 1]), (1001, [0, 1000]),
                                    (2500, [0, 1000, 2000, 2499])):
            with self.subTest(frames=frames):
                script, lines = self.log_of(frames)
                self.assertEqual(calls(lines, "render: frame "),
                                 [f"render: frame {f}" for f in checkpoints])

    def test_the_2500_frame_run_writes_19_lines(self):
        script, lines = self.log_of(2500)
        self.assertEqual(lines, [
            "start", "runner: windows 64-bit", script, "load: AviSynth.dll",
            "dll: " + library_path("full"), "create: script environment v8", "import: script",
            "take: clip", "get: video info", "info: frames 2500", "render: clip_info",
            "render: open validation csv", "render: frame 0", "render: frame 1000",
            "render: frame 2000", "render: frame 2499", "render: close validation csv",
            "render: complete", "exit: 0"])

    def test_failures_after_the_clip_end_with_their_exit_line(self):
        # The CSV cannot be opened (a folder has its name); the log beside it can.
        os.makedirs(self.path("f.csv"))
        script, lines = self.log_of(3, code=11)
        self.assertEqual(lines[-2:], ["render: open validation csv", "exit: 11"])
        os.rmdir(self.path("f.csv"))

        script, lines = self.log_of(2000, "fetch_fail 1500", code=5)
        self.assertEqual(lines[-4:], ["render: open validation csv", "render: frame 0",
                                      "render: frame 1000", "exit: 5"])

        script, lines = self.log_of(5, "prop 3 _Matrix float 1", code=12)
        self.assertEqual(lines[-2:], ["render: frame 0", "exit: 12"])

if __name__ == "__main__":
    unittest.main()
