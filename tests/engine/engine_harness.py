"""Runs the built program on the real engine, and what the engine delivers on its own.

Besides the black-box harness's variables, the environment names the folder of the
engine's shared library (QEL_ENGINE_DIR), the tests' reference reader built against the
engine (QEL_ENGINE_REFERENCE) and their failing filter plugin (QEL_FAILING_FILTER).
"""

import os
import shlex
import stat
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "blackbox"))

from harness import (LAUNCHER, RUNNER, WINDOWS, library_search_env,  # noqa: E402,F401
                     runner_case, target_path, text)
from test_pipelines import probe, readme_pipelines  # noqa: E402,F401

ENGINE_DIR = os.environ["QEL_ENGINE_DIR"]
REFERENCE = os.environ["QEL_ENGINE_REFERENCE"]
FAILING_FILTER = os.environ["QEL_FAILING_FILTER"]
EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                        "avisynth")


def engine_env():
    """This process's environment with the engine first on the library search path."""
    return dict(os.environ, **library_search_env(ENGINE_DIR))


def engine_version():
    """The engine's own VersionString(), for instance "AviSynth+ 3.7.5 (x86_64)"."""
    proc = subprocess.run(LAUNCHER + [REFERENCE, "version"], env=engine_env(),
                          capture_output=True, check=True, timeout=120)
    return proc.stdout.decode().strip()


def runner_on_path(folder):
    """A qel_avs_runner command in folder that starts the program under test, so that a
    command line runs as a user types it; under wine the launcher comes first."""
    os.makedirs(folder, exist_ok=True)
    command = os.path.join(folder, "qel_avs_runner")
    with open(command, "w") as f:
        f.write("#!/bin/sh\nexec " + " ".join(shlex.quote(w) for w in LAUNCHER + [RUNNER])
                + ' "$@"\n')
    os.chmod(command, os.stat(command).st_mode | stat.S_IEXEC)
    return dict(engine_env(), PATH=folder + os.pathsep + os.environ["PATH"])


def bytes_per_sample(bits):
    return 1 if bits <= 8 else 2


def plane_sizes(width, height, family, bits):
    """The bytes of the planes Y, U and V of one frame, rows without padding."""
    size = bytes_per_sample(bits)
    chroma_width = width // 2 if family in (420, 422) else width
    chroma_height = height // 2 if family == 420 else height
    return [width * height * size] + [chroma_width * chroma_height * size] * 2


def y4m_stream(header, raw_frames, frame_bytes, keep=lambda index: True):
    """A Y4M stream from the reference's raw frames: the header line, then "FRAME" and
    the planes of each frame kept."""
    count = len(raw_frames) // frame_bytes
    assert count * frame_bytes == len(raw_frames), "raw frames of another size"
    return header.encode() + b"\n" + b"".join(
        b"FRAME\n" + raw_frames[k * frame_bytes:(k + 1) * frame_bytes]
        for k in range(count) if keep(k))


def wav_header(rate, channels, bytes_per_channel_sample, float_samples, data_size):
    """The 44-byte RIFF/WAVE header, from its definition."""
    block = channels * bytes_per_channel_sample
    fields = [b"RIFF", (data_size + 36).to_bytes(4, "little"), b"WAVE", b"fmt ",
              (16).to_bytes(4, "little"), (3 if float_samples else 1).to_bytes(2, "little"),
              channels.to_bytes(2, "little"), rate.to_bytes(4, "little"),
              (rate * block).to_bytes(4, "little"), block.to_bytes(2, "little"),
              (8 * bytes_per_channel_sample).to_bytes(2, "little"), b"data",
              data_size.to_bytes(4, "little")]
    return b"".join(fields)


class engine_case(runner_case):
    """A scratch folder, the program on the real engine, and the engine's own reading."""

    def script(self, *lines, name="s.avs"):
        """Writes an AviSynth script; returns its name, relative to the scratch folder."""
        with open(self.path(name), "w", newline="\n") as f:
            f.write("".join(line + "\n" for line in lines))
        return name

    def failing_filter_line(self):
        return f'LoadPlugin("{target_path(FAILING_FILTER)}")'

    def run_engine(self, *args, **options):
        return self.run_runner(*args, library_dir=ENGINE_DIR, **options)

    def reference(self, kind, script):
        """The engine's raw frames ("video") or samples ("audio") for a script."""
        proc = subprocess.run(LAUNCHER + [REFERENCE, kind, script], cwd=self.dir,
                              env=engine_env(), capture_output=True, timeout=300)
        self.assertEqual(proc.returncode, 0, proc.stderr.decode(errors="replace"))
        return proc.stdout

    def read_csv_rows(self, name):
        with open(self.path(name), "rb") as f:
            return [line.split(",") for line in f.read().decode().split("\n")[1:] if line]

    def assert_succeeded(self, result):
        self.assertEqual(result.code, 0, result.err.decode(errors="replace")[-2000:])
