"""Every pipeline of the README, run as written with the stand-in engine serving
movie.avs, and its output read back by ffprobe."""

import os
import re
import shutil
import subprocess
import unittest

from harness import RUNNER, WINDOWS, library_search_env, runner_case, variant_dir

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")
TOOLS = ("ffmpeg", "ffprobe", "x264")

# 64x48 at 30000/1001, 12 frames of which 2 are marked dropped; 0.5 s of 16-bit stereo.
MOVIE = ["video 64 48 30000 1001 12", "format 420 8", "prop 4 qel_drop_frame int 1",
         "prop 9 qel_drop_frame int 1", "audio 48000 2 2 24000"]


def readme_pipelines():
    """The command lines of the block that the README marks as tested."""
    with open(README) as f:
        text = f.read()
    block = re.search(r"test_pipelines\.py.*?```sh\n(.*?)```", text, re.S)
    return [line for line in block.group(1).splitlines() if line.strip()]


def probe(path, entries):
    return subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_entries", entries,
                           "-of", "default=noprint_wrappers=1:nokey=1", path],
                          capture_output=True, text=True, check=True).stdout.split()


@unittest.skipIf(WINDOWS, "the pipelines run in a POSIX shell")
@unittest.skipUnless(all(shutil.which(tool) for tool in TOOLS), "needs ffmpeg, ffprobe and x264")
class readme_pipelines_run(runner_case):
    def test_each_pipeline_writes_what_its_reader_accepts(self):
        pipelines = readme_pipelines()
        self.assertGreaterEqual(len(pipelines), 4)
        bin_dir = self.path("bin")
        os.makedirs(bin_dir)
        os.symlink(RUNNER, os.path.join(bin_dir, "qel_avs_runner"))
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"],
                   **library_search_env(variant_dir("full")))
        for number, pipeline in enumerate(pipelines):
            with self.subTest(pipeline=pipeline):
                folder = self.path(f"run{number}")
                os.makedirs(folder)
                self.clip(*MOVIE, name=os.path.join(f"run{number}", "movie.avs"))
                proc = subprocess.run(["bash", "-o", "pipefail", "-c", pipeline], cwd=folder,
                                      env=env, stdin=subprocess.DEVNULL, capture_output=True,
                                      timeout=120)
                self.assertEqual(proc.returncode, 0, proc.stderr.decode(errors="replace")[-3000:])
                outputs = sorted(set(os.listdir(folder)) - {"movie.avs"})
                self.assertEqual(len(outputs), 1, outputs)
                self.check_output(pipeline, os.path.join(folder, outputs[0]))

    def check_output(self, pipeline, path):
        check_pipeline_output(self, pipeline, path, audio_seconds=0.5)


def check_pipeline_output(case, pipeline, path, audio_seconds):
    """What a pipeline of the README wrote from a movie of 64x48, 12 frames of which 2 are
    marked dropped, and 16-bit stereo at 48 kHz."""
    if "--wav" in pipeline:
        rate, channels, duration = probe(path, "stream=sample_rate,channels:format=duration")
        case.assertEqual((rate, channels), ("48000", "2"))
        case.assertAlmostEqual(float(duration), audio_seconds, places=2)
        return
    width, height, frames = probe(path, "stream=width,height,nb_read_frames")
    case.assertEqual((width, height), ("64", "48"))
    case.assertEqual(int(frames), 10 if "--y4m-skip-drop" in pipeline else 12)


if __name__ == "__main__":
    unittest.main()
