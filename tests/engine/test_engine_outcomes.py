"""The outcomes a script can cause on the real engine, each with its exact message and
exit code, and what a script sees of the runner."""

import os
import subprocess
import unittest

from engine_harness import ENGINE_DIR, WINDOWS, engine_case, text

# How the engine tells of a script it cannot find: Windows searches for a bare name.
MISSING_FILE = ('Import: unable to locate "missing.avs" (try specifying a path), error=0x2'
                if WINDOWS else 'Import: couldn\'t open "missing.avs"')

BLANK = 'BlankClip(length=4, width=64, height=48, fps=24, pixel_type="YV12")'


class outcomes_on_the_engine(engine_case):
    def test_import_failures(self):
        # lines of the script, message (the engine's text and where it stands), code
        cases = [
            ([BLANK + " +"], "Script error: syntax error\n(s.avs, line 1, column 0)\n", 1),
            (['Assert(false, "the job is not ready")', BLANK],
             "the job is not ready\n(s.avs, line 1)\n", 1),
            (['Import("missing.avs")'], MISSING_FILE + "\n(s.avs, line 1)\n", 1),
            (["42"], "script did not return a clip\n", 3),
            (['"a text"'], "script did not return a clip\n", 3),
        ]
        for lines, message, code in cases:
            with self.subTest(script=lines[0]):
                self.script(*lines)
                for verb in (["--y4m"], ["--validate"], ["--wav"]):
                    result = self.run_engine(*verb, "s.avs")
                    self.assert_failed_with(result, code, message)

    def test_formats_without_a_y4m_tag(self):
        for pixel_type in ("RGB24", "RGB32", "RGBP10", "Y8", "Y16", "YUY2", "YV411",
                           "YUV420PS", "YUV444PS"):
            with self.subTest(pixel_type=pixel_type):
                self.script(f'BlankClip(length=2, width=64, height=48, pixel_type="{pixel_type}")')
                result = self.run_engine("--y4m", "s.avs")
                self.assertEqual(result.code, 4)
                self.assertEqual(result.out, b"")
                self.assertRegex(result.err.decode(),
                                 r"^qel_render,0,2,0\.00,0\.000,0\.000\r?\n"
                                 r"unsupported Avisynth pixel format for Y4M output: -?\d+\r?\n$")
                # The validation verbs render it and call it unknown.
                validated = self.run_engine("--validate", "s.avs")
                self.assert_succeeded(validated)
                self.assertIn(b",chroma=unknown,", validated.out)

    def test_audio_failures(self):
        cases = [
            (BLANK + ".KillAudio()", "script has no audio\n", 6),
            ('BlankClip(length=4, width=64, height=48, sample_type="8bit")',
             "unsupported Avisynth audio sample type for WAV output: 1\n", 7),
        ]
        for script, message, code in cases:
            with self.subTest(script=script):
                self.script(script)
                self.assert_failed_with(self.run_engine("--wav", "s.avs"), code, message)

    def test_properties_of_the_wrong_type(self):
        for value in ("1.5", '"one"'):
            with self.subTest(value=value):
                self.script(BLANK, f'propSet("qel_source_id", {value})')
                check = self.run_engine("--check-source", "1", "s.avs")
                self.assert_failed_with(check, 12, "failed to read qel_source_id at frame 0\n")
                result = self.run_engine("--validate", "s.avs", "f.csv")
                self.assertEqual(result.code, 12)
                self.assertTrue(result.err.endswith(
                    text("failed to read qelkit frame properties at frame 0\n")), result.err)
                self.assertEqual(self.read("f.csv"), b"output_frame,source_id,source_frame,"
                                 b"drop_frame,matrix,primaries,transfer,color_range,"
                                 b"absolute_timestretch\n")

    def test_a_drop_mark_of_another_type_keeps_the_frame(self):
        self.script(BLANK, 'propSet("qel_drop_frame", 1.0)')
        result = self.run_engine("--y4m-skip-drop", "24", "1", "s.avs")
        self.assert_succeeded(result)
        self.assertEqual(result.out.count(b"FRAME\n"), 4)

    def test_source_identity(self):
        cases = [
            (BLANK + '.propSet("qel_source_id", 77)', "77", "source_id=77\n", 0),
            (BLANK + '.propSet("qel_source_id", -1)', "-1", "source_id=-1\n", 0),
            (BLANK, "77", "frame 0 is missing qel_source_id\n", 14),
            (BLANK + '.propSet("qel_source_id", 78)', "77",
             "frame 0 has qel_source_id 78, expected 77\n", 15),
            ('BlankClip(length=0, width=64, height=48, pixel_type="YV12")', "77",
             "script has no video frames\n", 13),
        ]
        for script, expected, message, code in cases:
            with self.subTest(script=script, expected=expected):
                self.script(script)
                result = self.run_engine("--check-source", expected, "s.avs")
                self.assertEqual(result.code, code)
                if code == 0:
                    self.assertEqual((result.out, result.err), (text(message), b""))
                else:
                    self.assert_failed_with(result, code, message)

    def test_frames_and_audio_that_fail(self):
        self.script(self.failing_filter_line(),
                    'BlankClip(length=100, width=64, height=48, fps=24, pixel_type="YV12", '
                    'audio_rate=48000, channels=2, sample_type="16bit")',
                    "QelFailAt(frame=3, sample=140000)")
        # arguments, message, code
        cases = [
            (["--y4m"], "failed to get frame 3: QelFailAt: frame 3\n", 5),
            (["--validate", "s.avs", "f.csv"], "failed to get frame 3: QelFailAt: frame 3\n", 5),
            (["--wav"], "failed to get audio at sample 131072: QelFailAt: audio at sample 140000\n", 9),
        ]
        for args, message, code in cases:
            with self.subTest(args=args):
                result = self.run_engine(*(args if len(args) > 1 else args + ["s.avs"]))
                self.assertEqual(result.code, code)
                self.assertTrue(result.err.endswith(text(message)), result.err)
        frames = self.run_engine("--y4m", "s.avs").out
        self.assertEqual(frames.count(b"FRAME\n"), 3)  # the frames before it are out
        audio = self.run_engine("--wav", "s.avs").out
        self.assertEqual(len(audio), 44 + 2 * 65536 * 4)
        self.assertEqual(self.read("f.csv.runner.log").decode().splitlines()[-2:],
                         ["render: frame 0", "exit: 5"])

    def test_frame_zero_that_fails_in_the_source_check(self):
        self.script(self.failing_filter_line(), BLANK, "QelFailAt(frame=0)")
        self.assert_failed_with(self.run_engine("--check-source", "1", "s.avs"), 5,
                                "failed to get frame 0: QelFailAt: frame 0\n")

    def test_a_reader_that_goes_away(self):
        self.script('BlankClip(length=100000, width=640, height=480, pixel_type="YV12")')
        for verb in ("--y4m", "--wav"):
            with self.subTest(verb=verb), open(self.path("err.txt"), "wb") as err:
                proc = self.start_runner(verb, "s.avs", library_dir=ENGINE_DIR,
                                         stdout=subprocess.PIPE, stderr=err)
                received = 0
                while received < 1 << 20:
                    chunk = proc.stdout.read1(1 << 20)
                    self.assertTrue(chunk, "the stream ended early")
                    received += len(chunk)
                proc.stdout.close()
                self.assertEqual(proc.wait(timeout=120), 141)
                self.assertNotIn(b"failed", self.read("err.txt"))


class paths_outside_ascii(engine_case):
    def test_scripts_and_csvs_whatever_their_names_spell(self):
        # One the ANSI code page cannot hold (on Windows: UTF-8 and Import's utf8 switch),
        # and one it holds (its ANSI bytes and the plain Import).
        separator = "\\" if WINDOWS else "/"
        for folder, name in (("Утка ジ", "проба.avs"), ("café", "café.avs")):
            with self.subTest(name=name):
                os.makedirs(self.path(folder))
                self.script(BLANK, 'propSet("qel_source_id", 3)', name=os.path.join(folder, name))
                script = folder + separator + name
                check = self.run_engine("--check-source", "3", script)
                self.assertEqual((check.code, check.out), (0, text("source_id=3\n")), check.err)
                self.assert_succeeded(self.run_engine("--validate", script,
                                                      folder + separator + "кадры.csv"))
                self.assertEqual(len(self.read_csv_rows(os.path.join(folder, "кадры.csv"))), 4)


class what_a_script_sees(engine_case):
    def test_the_validation_variable_by_verb(self):
        # qel_source_id: 1 for true, 0 for false, -1 when the variable is undefined.
        self.script(BLANK, 'propSet("qel_source_id", VarExist("qel_validation_blank") ? '
                    '(qel_validation_blank ? 1 : 0) : -1)')
        for verb, seen in (("--validate", "1"), ("--validate-real", "0")):
            with self.subTest(verb=verb):
                self.assert_succeeded(self.run_engine(verb, "s.avs", "f.csv"))
                self.assertEqual({row[1] for row in self.read_csv_rows("f.csv")}, {seen})
        self.assert_succeeded(self.run_engine("--check-source", "-1", "s.avs"))

    def test_property_setters_that_take_a_function(self):
        # At the script's level the wrong setter stops the import...
        self.script(BLANK, 'propSetInt("qel_source_id", 7)')
        self.assert_failed_with(self.run_engine("--check-source", "7", "s.avs"), 1,
                                "Script error: Invalid arguments to function 'propSetInt'.\n"
                                "(s.avs, line 2)\n")
        # ...inside ScriptClip it only draws the error into every picture: nothing is
        # marked, and every frame is written, unlike the frames of the clip itself.
        self.script(BLANK, 'ScriptClip("""propSetInt("qel_drop_frame", 1)""")')
        drawn = self.run_engine("--y4m-skip-drop", "24", "1", "s.avs")
        self.assert_succeeded(drawn)
        self.assertEqual(drawn.out.count(b"FRAME\n"), 4)
        self.script(BLANK)
        self.assertNotEqual(drawn.out, self.run_engine("--y4m", "s.avs").out)

    def test_properties_the_engine_sets_itself(self):
        # script, matrix, primaries, transfer, color_range as the CSV shows them
        cases = [
            ('BlankClip(length=1, pixel_type="YV12")', "6", "0", "0", "1"),
            ('BlankClip(length=1, pixel_type="YUV444P10")', "6", "0", "0", "1"),
            ('ColorBars(pixel_type="YV12").Trim(0, -1)', "1", "0", "0", "1"),
            ('BlankClip(length=1, pixel_type="RGB24").ConvertToYUV420()', "6", "0", "0", "1"),
            ('BlankClip(length=1, pixel_type="RGB24").ConvertToYUV420(matrix="709:f")', "1", "0",
             "0", "0"),
            ('BlankClip(length=1, pixel_type="YV12").propSet("_Matrix", 9).propSet("_Primaries", 9)'
             '.propSet("_Transfer", 16).propSet("_ColorRange", 0)', "9", "9", "16", "0"),
        ]
        for script, matrix, primaries, transfer, color_range in cases:
            with self.subTest(script=script):
                self.script(script)
                self.assert_succeeded(self.run_engine("--validate", "s.avs", "f.csv"))
                self.assertEqual(self.read_csv_rows("f.csv")[0][4:8],
                                 [matrix, primaries, transfer, color_range])


if __name__ == "__main__":
    unittest.main()
