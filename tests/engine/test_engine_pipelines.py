"""The README's pipelines, run as written with a real script as movie.avs, and their
outputs read back by ffprobe."""

import os
import shutil
import subprocess
import unittest

from engine_harness import engine_case, readme_pipelines, runner_on_path
from test_pipelines import check_pipeline_output

TOOLS = ("ffmpeg", "ffprobe", "x264")

# 12 frames at 30000/1001 of which 4 and 9 are marked dropped, with their audio: 12
# frames' worth of 16-bit stereo at 48 kHz.
MOVIE = ['BlankClip(length=12, width=64, height=48, fps=30000, fps_denominator=1001, '
         'pixel_type="YV12", audio_rate=48000, channels=2, sample_type="16bit")',
         "ShowFrameNumber()",
         'ScriptClip("""propSet("qel_drop_frame", current_frame == 4 || current_frame == 9 ? 1 : 0)""")']
AUDIO_SECONDS = 12 * 1001 / 30000


@unittest.skipUnless(all(shutil.which(tool) for tool in TOOLS), "needs ffmpeg, ffprobe and x264")
class readme_pipelines_on_the_engine(engine_case):
    def test_each_pipeline_writes_what_its_reader_accepts(self):
        pipelines = readme_pipelines()
        self.assertGreaterEqual(len(pipelines), 4)
        env = runner_on_path(self.path("bin"))
        for number, pipeline in enumerate(pipelines):
            with self.subTest(pipeline=pipeline):
                folder = f"run{number}"
                os.makedirs(self.path(folder))
                self.script(*MOVIE, name=os.path.join(folder, "movie.avs"))
                proc = subprocess.run(["bash", "-o", "pipefail", "-c", pipeline],
                                      cwd=self.path(folder), env=env, stdin=subprocess.DEVNULL,
                                      capture_output=True, timeout=300)
                self.assertEqual(proc.returncode, 0, proc.stderr.decode(errors="replace")[-3000:])
                outputs = sorted(set(os.listdir(self.path(folder))) - {"movie.avs"})
                self.assertEqual(len(outputs), 1, outputs)
                self.check_output(pipeline, self.path(folder, outputs[0]))

    def check_output(self, pipeline, path):
        check_pipeline_output(self, pipeline, path, AUDIO_SECONDS)


if __name__ == "__main__":
    unittest.main()
