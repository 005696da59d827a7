"""The Y4M stream: header, frame records, the skip-drop rule and the render loop's
failures, byte for byte."""

import unittest

from harness import (calls, default_planes, runner_case, text, y4m_frame)

YV12_PIXEL_TYPE = -1610612728  # what an engine reports for 8-bit 4:2:0; prints negative


def progress_lines(err):
    return [line for line in err.decode().splitlines() if line.startswith("qel_")]


class y4m_header(runner_case):
    def header(self, *args, lines):
        result = self.run_runner(*args, self.clip(*lines))
        self.assertEqual(result.code, 0, result.err)
        return result.out.split(b"\n", 1)[0] + b"\n"

    def test_header_lines(self):
        cases = [
            (["--y4m"], ["video 1920 1080 25 1 0"], b"YUV4MPEG2 W1920 H1080 F25:1 Ip A0:0 C420jpeg\n"),
            (["--y4m-skip-drop", "30", "1"], ["video 1920 1080 25 1 0"],
             b"YUV4MPEG2 W1920 H1080 F30:1 Ip A0:0 C420jpeg\n"),
            (["--y4m"], ["video 720 576 50 2 0"], b"YUV4MPEG2 W720 H576 F50:2 Ip A0:0 C420jpeg\n"),
            (["--y4m"], ["video 64 48 4294967295 3000000000 0", "format 444 16"],
             b"YUV4MPEG2 W64 H48 F4294967295:3000000000 Ip A0:0 C444p16\n"),
            (["--y4m-skip-drop", "-1", "24fps"], ["video 64 48 25 1 0"],
             b"YUV4MPEG2 W64 H48 F4294967295:24 Ip A0:0 C420jpeg\n"),
            (["--y4m-skip-drop", " +30000", "99999999999"], ["video 64 48 25 1 0"],
             b"YUV4MPEG2 W64 H48 F30000:4294967295 Ip A0:0 C420jpeg\n"),
            (["--y4m-skip-drop", "-4294967295", "1001"], ["video 64 48 25 1 0"],
             b"YUV4MPEG2 W64 H48 F1:1001 Ip A0:0 C420jpeg\n"),
        ]
        for args, lines, expected in cases:
            with self.subTest(args=args, lines=lines):
                self.assertEqual(self.header(*args, lines=lines), expected)

    def test_colour_space_tags(self):
        # format line, legacy line, variant, tag (None: no tag)
        cases = [
            ("format 420 8", "legacy none", "full", "C420jpeg"),
            ("format 420 10", "legacy yv12", "full", "C420p10"),
            ("format 420 12", "legacy none", "full", "C420p12"),
            ("format 420 14", "legacy none", "full", "C420p14"),
            ("format 420 16", "legacy none", "full", "C420p16"),
            ("format 422 8", "legacy none", "full", "C422"),
            ("format 422 1", "legacy none", "full", "C422"),
            ("format 422 10", "legacy none", "full", "C422p10"),
            ("format 422 12", "legacy none", "full", "C422p12"),
            ("format 444 8", "legacy none", "full", "C444"),
            ("format 444 14", "legacy none", "full", "C444p14"),
            ("format 444 16", "legacy none", "full", "C444p16"),
            ("format 444 0", "legacy none", "full", "C444"),    # no answer: 8 bits
            ("format 444 -3", "legacy none", "full", "C444"),
            # Once a newer query claims the clip, no older one is asked.
            ("format 420 32", "legacy yv12", "full", None),
            ("format 420 9", "legacy yv12", "full", None),
            ("format 444 11", "legacy yv24", "full", None),
            ("format 444 18", "legacy yv24", "full", None),
            # Newer queries all false: the older ones decide, with 8-bit tags.
            ("format none 10", "legacy yv12", "full", "C420jpeg"),
            ("format none 10", "legacy yv16", "full", "C422"),
            ("format none 16", "legacy yv24", "full", "C444"),
            ("format none 8", "legacy none", "full", None),
            # An engine without the newer queries.
            ("format 444 16", "legacy yv12", "without_format_queries", "C420jpeg"),
            ("format 420 8", "legacy yv16", "without_format_queries", "C422"),
            ("format 420 8", "legacy yv24", "without_format_queries", "C444"),
            ("format 420 8", "legacy none", "without_format_queries", None),
        ]
        for format_line, legacy, variant, tag in cases:
            with self.subTest(format=format_line, legacy=legacy, variant=variant):
                clip = self.clip("video 64 48 25 1 0", format_line, legacy,
                                 f"pixel_type {YV12_PIXEL_TYPE}")
                result = self.run_runner("--y4m", clip, variant=variant)
                if tag:
                    self.assertEqual(result.code, 0, result.err)
                    self.assertEqual(result.out, f"YUV4MPEG2 W64 H48 F25:1 Ip A0:0 {tag}\n".encode())
                else:
                    self.assertEqual(result.code, 4, result.err)
                    self.assertEqual(result.out, b"")
                if tag is None and variant == "full" and "none" not in format_line:
                    self.assertEqual(calls(result.trace, "is_yv"), [])

    def test_no_tag_fails_before_any_frame_with_one_progress_line(self):
        for verb in (["--y4m"], ["--y4m-skip-drop", "30", "1"]):
            with self.subTest(verb=verb[0]):
                clip = self.clip("video 64 48 25 1 10", "format 420 32", f"pixel_type {YV12_PIXEL_TYPE}")
                result = self.run_runner(*verb, clip)
                self.assertEqual(result.code, 4)
                self.assertEqual(result.out, b"")
                self.assertEqual(result.err, text(
                    "qel_render,0,10,0.00,0.000,0.000\n"
                    f"unsupported Avisynth pixel format for Y4M output: {YV12_PIXEL_TYPE}\n"))
                self.assertEqual(calls(result.trace, "get_frame"), [])


class y4m_frames(runner_case):
    def stream(self, *args, lines, code=0):
        result = self.run_runner(*args, self.clip(*lines))
        self.assertEqual(result.code, code, result.err)
        return result

    def test_frame_records_hold_the_planes_without_padding(self):
        # width, height, frames, family, bits
        cases = [(6, 4, 3, 420, 8), (8, 2, 2, 422, 10), (5, 3, 2, 444, 16), (600, 4, 2, 420, 8)]
        for width, height, frames, family, bits in cases:
            with self.subTest(width=width, family=family, bits=bits):
                result = self.stream("--y4m", lines=[f"video {width} {height} 25 1 {frames}",
                                                     f"format {family} {bits}"])
                planes = default_planes(width, height, family, bits)
                header, body = result.out.split(b"\n", 1)
                self.assertEqual(body, b"".join(y4m_frame(f, planes) for f in range(frames)))

    def test_no_byte_of_the_stream_is_translated(self):
        # Rows of 300 bytes run through every byte value, 0x0A and 0x1A among them.
        result = self.stream("--y4m", lines=["video 300 2 25 1 2", "format 444 8"])
        body = result.out.split(b"\n", 1)[1]
        planes = default_planes(300, 2, 444)
        self.assertEqual(body, y4m_frame(0, planes) + y4m_frame(1, planes))
        for byte in (b"\x0a", b"\x1a", b"\x0d", b"\x00", b"\xff"):
            self.assertIn(byte, body[6:])

    def test_a_1080p_frame_record_has_the_exact_size(self):
        for bits, size in ((8, 3110406), (16, 6220806)):
            with self.subTest(bits=bits):
                result = self.stream("--y4m", lines=["video 1920 1080 25 1 1", f"format 420 {bits}"])
                header, body = result.out.split(b"\n", 1)
                self.assertEqual(len(body), size)
                self.assertEqual(body, y4m_frame(0, default_planes(1920, 1080, 420, bits)))

    def test_plane_geometry_overrides(self):
        cases = [
            ("pitch far beyond the row", ["plane Y 6 4 100", "plane U 3 2 77", "plane V 3 2 3"],
             [(6, 4), (3, 2), (3, 2)]),
            ("a chroma plane of height 0", ["plane U 3 0 16"], [(6, 4), (3, 0), (3, 2)]),
            ("every plane of height 0", ["plane Y 6 0 32", "plane U 3 0 32", "plane V 3 0 32"],
             [(6, 0), (3, 0), (3, 0)]),
        ]
        for name, overrides, planes in cases:
            with self.subTest(name):
                result = self.stream("--y4m", lines=["video 6 4 25 1 2", *overrides])
                body = result.out.split(b"\n", 1)[1]
                self.assertEqual(body, y4m_frame(0, planes) + y4m_frame(1, planes))

    def test_skip_drop_leaves_out_frames_marked_dropped(self):
        lines = ["video 4 2 25 1 7",
                 "prop 0 qel_drop_frame int 1",
                 "prop 1 qel_drop_frame int -1",
                 "prop 2 qel_drop_frame int 0",
                 # frame 3: absent
                 "prop 4 qel_drop_frame float 1",   # unreadable: kept
                 "prop 5 qel_drop_frame int 1", "props_map 5 error",  # unreadable: kept
                 "prop 6 qel_drop_frame int 9223372036854775807"]
        result = self.stream("--y4m-skip-drop", "30", "1", lines=lines)
        planes = default_planes(4, 2)
        self.assertEqual(result.out, b"YUV4MPEG2 W4 H2 F30:1 Ip A0:0 C420jpeg\n"
                         + b"".join(y4m_frame(f, planes) for f in (2, 3, 4, 5)))
        self.assertEqual(progress_lines(result.err)[-1].split(",")[:4],
                         ["qel_render", "7", "7", "100.00"])

    def test_plain_y4m_never_reads_the_drop_property(self):
        result = self.stream("--y4m", lines=["video 4 2 25 1 2", "prop * qel_drop_frame int 1"])
        planes = default_planes(4, 2)
        self.assertTrue(result.out.endswith(y4m_frame(0, planes) + y4m_frame(1, planes)))
        self.assertEqual(calls(result.trace, "get_frame_props", "prop_get"), [])

    def test_every_frame_dropped_leaves_the_header_alone(self):
        result = self.stream("--y4m-skip-drop", "25", "1",
                             lines=["video 4 2 25 1 5", "prop * qel_drop_frame int 1"])
        self.assertEqual(result.out, b"YUV4MPEG2 W4 H2 F25:1 Ip A0:0 C420jpeg\n")

    def test_a_clip_of_no_frames_is_the_header_and_one_progress_line(self):
        result = self.stream("--y4m", lines=["video 4 2 25 1 0"])
        self.assertEqual(result.out, b"YUV4MPEG2 W4 H2 F25:1 Ip A0:0 C420jpeg\n")
        self.assertEqual(result.err, text("qel_render,0,0,100.00,0.000,0.000\n"))

    def test_a_failed_fetch_keeps_every_earlier_frame(self):
        planes = default_planes(4, 2)
        for fail, message in (("fetch_fail 7 text engine said no", "failed to get frame 7: engine said no"),
                              ("fetch_fail 7 text", "failed to get frame 7: "),
                              ("fetch_fail 7", "failed to get frame 7")):
            with self.subTest(fail=fail):
                result = self.stream("--y4m", lines=["video 4 2 25 1 10", fail], code=5)
                self.assertEqual(result.out, b"YUV4MPEG2 W4 H2 F25:1 Ip A0:0 C420jpeg\n"
                                 + b"".join(y4m_frame(f, planes) for f in range(7)))
                self.assertEqual(result.err.decode().splitlines()[-1], message)
                self.assertEqual(calls(result.trace, "get_frame")[-1], "get_frame 7 failed")

    def test_one_frame_held_at_a_time_each_released_once(self):
        result = self.stream("--y4m-skip-drop", "30", "1",
                             lines=["video 4 2 25 1 6", "prop 3 qel_drop_frame int 1"])
        frames = calls(result.trace, "get_frame ", "release_frame")
        expected = []
        for f in range(6):
            expected += [f"get_frame {f} held 1", f"release_frame {f} held 0"]
        self.assertEqual(frames, expected)


if __name__ == "__main__":
    unittest.main()
