"""Script and CSV paths outside ASCII. On Windows a path that the ANSI code page cannot
hold reaches the engine in UTF-8 with Import's utf8 switch and the files by their wide
names; a path the code page holds keeps its ANSI bytes and the plain Import, as before.
On Linux paths are bytes, whatever they spell."""

import os
import unittest

from harness import (WINDOWS, calls, default_planes, runner_case, sample_bytes, text,
                     y4m_frame)

FOLDER = "Утка ジ"  # Cyrillic and Japanese: no Western code page holds them
SEPARATOR = "\\" if WINDOWS else "/"
CLIP = ["video 64 48 25 1 3", "prop * qel_source_id int 9", "audio 48000 2 2 1000"]
HEADER = (b"output_frame,source_id,source_frame,drop_frame,matrix,primaries,transfer,"
          b"color_range,absolute_timestretch\n")


class paths_outside_the_code_page(runner_case):
    def setUp(self):
        super().setUp()
        os.makedirs(self.path(FOLDER))
        self.clip(*CLIP, name=os.path.join(FOLDER, "проба.avs"))
        self.script = FOLDER + SEPARATOR + "проба.avs"
        self.csv = FOLDER + SEPARATOR + "кадры.csv"

    def import_line(self, result):
        (line,) = calls(result.trace, "invoke Import ")
        return line

    def test_every_mode_reads_the_script(self):
        planes = default_planes(64, 48)
        y4m = self.run_runner("--y4m", self.script)
        self.assertEqual(y4m.code, 0, y4m.err)
        self.assertEqual(y4m.out, b"YUV4MPEG2 W64 H48 F25:1 Ip A0:0 C420jpeg\n"
                         + b"".join(y4m_frame(f, planes) for f in range(3)))
        # Windows hands the engine the UTF-8 with the switch; elsewhere the bytes go alone.
        self.assertEqual(self.import_line(y4m), "invoke Import " + self.script
                         + (" utf8=true" if WINDOWS else ""))
        wav = self.run_runner("--wav", self.script)
        self.assertEqual(wav.code, 0, wav.err)
        self.assertEqual(wav.out[44:], sample_bytes(0, 4000))
        check = self.run_runner("--check-source", "9", self.script)
        self.assertEqual((check.code, check.out), (0, text("source_id=9\n")))

    def test_the_csv_and_its_run_log_have_exactly_their_names(self):
        result = self.run_runner("--validate", self.script, self.csv)
        self.assertEqual(result.code, 0, result.err)
        self.assertEqual(sorted(os.listdir(self.path(FOLDER))),
                         sorted(["проба.avs", "кадры.csv", "кадры.csv.runner.log"]))
        self.assertEqual(self.read(FOLDER, "кадры.csv"),
                         HEADER + b"".join(b"%d,9,,0,,0,0,0,\n" % k for k in range(3)))
        log = self.read(FOLDER, "кадры.csv.runner.log").split(b"\n")
        self.assertEqual(log[2], self.script.encode())  # the UTF-8 of the path as given
        self.assertEqual(log[-2], b"exit: 0")

    def test_messages_carry_the_path_in_utf8(self):
        missing = FOLDER + SEPARATOR + "нет" + SEPARATOR + "кадры.csv"
        result = self.run_runner("--validate", self.script, missing)
        self.assertEqual(result.code, 11)
        self.assertEqual(result.err.split(text("\n"))[0],
                         f"failed to open validation CSV for writing: {missing}".encode())


@unittest.skipUnless(WINDOWS, "code pages are Windows'")
class paths_the_code_page_holds(runner_case):
    def test_they_keep_their_ansi_bytes_and_the_plain_import(self):
        self.clip(*CLIP, name="café.avs")
        result = self.run_runner("--validate", "café.avs", "café.csv")
        self.assertEqual(result.code, 0, result.err)
        ansi = "café.avs".encode("cp1252")  # the code page of the tests' wine prefix
        self.assertEqual(self.read("café.csv.runner.log").split(b"\n")[2], ansi)
        with open(self.trace_path(), "rb") as f:
            imports = [line for line in f.read().split(b"\n") if line.startswith(b"invoke Import")]
        self.assertEqual(imports, [b"invoke Import " + ansi])


if __name__ == "__main__":
    unittest.main()
