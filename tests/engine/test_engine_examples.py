"""The script examples on the real engine: each runs as its first line says, pipeline
included, and shows what its comment claims."""

import glob
import os
import shlex
import shutil
import subprocess
import unittest

from engine_harness import (EXAMPLES, engine_case, plane_sizes, probe, runner_on_path, text,
                            wav_header, y4m_stream)

TOOLS = ("ffmpeg", "ffprobe", "x264")


def first_line(name):
    with open(os.path.join(EXAMPLES, name)) as f:
        return f.readline()[1:].strip()


@unittest.skipUnless(all(shutil.which(tool) for tool in TOOLS), "needs ffmpeg, ffprobe and x264")
class examples_on_the_engine(engine_case):
    def setUp(self):
        super().setUp()
        for path in glob.glob(os.path.join(EXAMPLES, "*.avs")):
            shutil.copy(path, self.dir)

    def run_first_line(self, name):
        """Runs the example's first line in a shell, in the scratch folder."""
        env = runner_on_path(self.path("bin"))
        proc = subprocess.run(["bash", "-o", "pipefail", "-c", first_line(name)], cwd=self.dir,
                              env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
        self.assertEqual(proc.returncode, 0, proc.stderr.decode(errors="replace")[-3000:])
        return proc

    def args_of_first_line(self, name):
        words = shlex.split(first_line(name))
        return words[1:words.index("|")] if "|" in words else words[1:]

    def test_every_example_is_tested_here(self):
        names = {os.path.basename(p) for p in glob.glob(os.path.join(EXAMPLES, "*.avs"))}
        tested = {name[len("test_"):] + ".avs" for name in dir(self) if name.startswith("test_")}
        self.assertEqual(names - tested, set())

    def test_source_id(self):
        proc = self.run_first_line("source_id.avs")
        self.assertEqual(proc.stdout, text("source_id=20251210\n"))
        other = self.run_engine("--check-source", "20251211", "source_id.avs")
        self.assertEqual(other.err, text("frame 0 has qel_source_id 20251210, expected 20251211\n"))
        self.assertEqual(other.code, 15)

    def test_drop_marked(self):
        self.run_first_line("drop_marked.avs")
        width, height, frames = probe(self.path("drop_marked.264"),
                                      "stream=width,height,nb_read_frames")
        self.assertEqual((width, height, frames), ("640", "360", "240"))

        result = self.run_engine(*self.args_of_first_line("drop_marked.avs"))
        self.assert_succeeded(result)
        raw = self.reference("video", "drop_marked.avs")
        frame_bytes = sum(plane_sizes(640, 360, 420, 8))
        header = "YUV4MPEG2 W640 H360 F24000:1001 Ip A0:0 C420jpeg"
        self.assertEqual(result.out, y4m_stream(header, raw, frame_bytes, keep=lambda k: k % 5 != 4))
        # What was left out are the repeats: each equals the frame before it, and the
        # frames written are the 240 film frames, all different.
        frames = [raw[k * frame_bytes:(k + 1) * frame_bytes] for k in range(300)]
        self.assertTrue(all(frames[k] == frames[k - 1] for k in range(4, 300, 5)))
        self.assertEqual(len({f for k, f in enumerate(frames) if k % 5 != 4}), 240)

    def test_frame_properties(self):
        proc = self.run_first_line("frame_properties.avs")
        self.assertEqual(proc.stdout.splitlines()[1], b"rendered=240")
        rows = self.read_csv_rows("frames.csv")
        self.assertEqual(len(rows), 240)
        for k, row in enumerate(rows):
            self.assertEqual(row, [str(k), "7", str(2 * k), "0", "1", "1", "1", "1",
                                   "1.0416666666666667"])

    def test_validate_blank_or_real(self):
        proc = self.run_first_line("validate_blank_or_real.avs")
        self.assertTrue(proc.stdout.startswith(text(
            "clip_info,width=1920,height=1080,chroma=C420jpeg,bit_depth=8,frames=1440,")))
        rows = self.read_csv_rows("frames.csv")
        self.assertEqual(len(rows), 1440)
        self.assertTrue(all(row[1] == "1" for row in rows))
        # --validate-real takes the real branch: the source filter, which this machine
        # lacks, is called.
        real = self.run_engine("--validate-real", "validate_blank_or_real.avs")
        self.assertEqual(real.code, 1)
        self.assertIn(b"There is no function named 'FFVideoSource'.", real.err)

    def test_tone(self):
        self.run_first_line("tone.avs")
        rate, channels, duration = probe(self.path("tone.flac"),
                                         "stream=sample_rate,channels:format=duration")
        self.assertEqual((rate, channels, float(duration)), ("48000", "2", 10.0))

        result = self.run_engine(*self.args_of_first_line("tone.avs"))
        self.assert_succeeded(result)
        samples = self.reference("audio", "tone.avs")
        self.assertEqual(len(samples), 48000 * 10 * 2 * 2)
        self.assertEqual(result.out, wav_header(48000, 2, 2, False, len(samples)) + samples)


if __name__ == "__main__":
    unittest.main()
