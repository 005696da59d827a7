"""Throughput, per-frame cost and memory of the runner, each against a reference measured
alternately in the same run; prints one line per figure with medians.

    python3 bench/bench.py BUILD_DIR [--runs N] [--only NAME ...] [--engine LIB_DIR]

BUILD_DIR holds qel_avs_runner, bench/pipe_reference, bench/bare_render_loop and the
stand-in engine (tests/standin/full). The stand-in serves every clip from one prepared
frame and one prepared audio chunk, so what is timed is the runner and the pipe.

With --engine, the folder of a real libavisynth.so, one more figure: the runner's stream
into x264 against x264 reading the script itself, on the real engine.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

Y4M_CLIPS = {
    # name: (description lines, frame bytes, header)
    "y4m 1920x1080 8-bit 4:2:0, 600 frames": (
        ["video 1920 1080 25 1 600", "format 420 8"],
        6 + 1920 * 1080 + 2 * 960 * 540,
        "YUV4MPEG2 W1920 H1080 F25:1 Ip A0:0 C420jpeg\n"),
    "y4m 3840x2160 10-bit 4:2:2, 60 frames": (
        ["video 3840 2160 25 1 60", "format 422 10"],
        6 + 2 * (3840 * 2160 + 2 * 1920 * 2160),
        "YUV4MPEG2 W3840 H2160 F25:1 Ip A0:0 C422p10\n"),
}
WAV_SAMPLES = 48000 * 600
WAV_BLOCK = 8 * 4
WAV_CHUNK_BYTES = 65536 * WAV_BLOCK


class bench:
    def __init__(self, build, scratch):
        self.build = build
        self.scratch = scratch
        self.runner = os.path.join(build, "qel_avs_runner")
        self.library_dir = os.path.join(build, "tests", "standin", "full")
        self.env = dict(os.environ, LD_LIBRARY_PATH=self.library_dir)
        self.env.pop("QEL_STANDIN_TRACE", None)

    def clip(self, name, lines, prepared=True):
        path = os.path.join(self.scratch, name + (".avs" if prepared else "_made.avs"))
        with open(path, "w") as f:
            f.write("".join(line + "\n" for line in lines + (["prepared"] if prepared else [])))
        return path

    def into_pipe(self, command):
        """Seconds for command to write its standard output into a pipe read by cat,
        which discards it."""
        start = time.perf_counter()
        writer = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                  env=self.env)
        reader = subprocess.Popen(["cat"], stdin=writer.stdout, stdout=subprocess.DEVNULL)
        writer.stdout.close()
        codes = (writer.wait(), reader.wait())
        seconds = time.perf_counter() - start
        if codes != (0, 0):
            sys.exit(f"bench: {command} ended with {codes}")
        return seconds

    def alone(self, command):
        """Seconds of command with its output discarded."""
        start = time.perf_counter()
        code = subprocess.call(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=self.env, cwd=self.scratch)
        seconds = time.perf_counter() - start
        if code != 0:
            sys.exit(f"bench: {command} ended with {code}")
        return seconds

    def peak_kilobytes(self, command):
        """Peak resident memory of command, through the bench's small launcher."""
        launcher = os.path.join(self.build, "bench", "peak_memory")
        proc = subprocess.run([launcher] + command, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, env=self.env, cwd=self.scratch)
        if proc.returncode != 0:
            sys.exit(f"bench: {command} ended with {proc.returncode}")
        return int(proc.stdout.decode().split()[-1])

    def reference(self, header, block, total):
        return [os.path.join(self.build, "bench", "pipe_reference"), str(header), str(block),
                str(total)]


def alternate(runs, runner, reference):
    """Medians of runs timings of each, taken one after the other."""
    mine, theirs = [], []
    for _ in range(runs):
        mine.append(runner())
        theirs.append(reference())
    return statistics.median(mine), statistics.median(theirs)


def report(name, runs, runner_seconds, reference_seconds, target):
    ratio = runner_seconds / reference_seconds
    verdict = "ok" if ratio <= target else "ABOVE TARGET"
    print(f"{name}: runner {runner_seconds:.3f} s, reference {reference_seconds:.3f} s, "
          f"ratio {ratio:.3f} (target {target}, {verdict}; medians of {runs})", flush=True)


def figures(b, runs, wanted):
    for name, (lines, frame_bytes, header) in Y4M_CLIPS.items():
        if not wanted(name):
            continue
        clip = b.clip(name.split(",")[0].replace(" ", "_"), lines)
        frames = int(lines[0].split()[-1])
        total = len(header) + frames * frame_bytes
        mine, theirs = alternate(runs, lambda: b.into_pipe([b.runner, "--y4m", clip]),
                                 lambda: b.into_pipe(b.reference(len(header), frame_bytes, total)))
        report(name, runs, mine, theirs, 1.05)

    name = "wav 48 kHz 8 channels 32-bit, 600 s"
    if wanted(name):
        clip = b.clip("wav", ["video 64 48 25 1 1", f"audio 48000 8 8 {WAV_SAMPLES}"])
        total = 44 + WAV_SAMPLES * WAV_BLOCK
        mine, theirs = alternate(runs, lambda: b.into_pipe([b.runner, "--wav", clip]),
                                 lambda: b.into_pipe(b.reference(44, WAV_CHUNK_BYTES, total)))
        report(name, runs, mine, theirs, 1.05)

    # The engine makes each 16x16 frame, as an engine does; with prepared frames the
    # figure is also printed as nanoseconds per frame above the bare loop.
    for prepared in (False, True):
        name = ("progress: --validate of 16x16, 1000000 frames, against a bare fetch loop"
                + (", prepared frames" if prepared else ""))
        if not wanted(name):
            continue
        clip = b.clip("progress", ["video 16 16 25 1 1000000"], prepared=prepared)
        bare = [os.path.join(b.build, "bench", "bare_render_loop"),
                os.path.join(b.library_dir, "libavisynth.so"), clip]
        mine, theirs = alternate(runs, lambda: b.alone([b.runner, "--validate", clip]),
                                 lambda: b.alone(bare))
        if prepared:
            print(f"{name}: runner {mine:.3f} s, bare loop {theirs:.3f} s, "
                  f"{(mine - theirs) * 1000:.0f} ns per frame above it (no target; medians of "
                  f"{runs})", flush=True)
        else:
            report(name, runs, mine, theirs, 1.25)

    name = "memory: peak resident of --validate with a CSV, 1000000 frames against 1000"
    if wanted(name):
        peaks = []
        for frames in (1000, 1000000):
            clip = b.clip(f"memory_{frames}", [f"video 16 16 25 1 {frames}"])
            peaks.append(statistics.median(
                b.peak_kilobytes([b.runner, "--validate", clip, "frames.csv"]) for _ in range(3)))
        growth = (peaks[1] - peaks[0]) / 1024
        verdict = "ok" if growth <= 9 else "ABOVE TARGET"
        print(f"{name}: {peaks[0] / 1024:.1f} MiB and {peaks[1] / 1024:.1f} MiB, growth "
              f"{growth:.1f} MiB (target 9 MB, {verdict}; medians of 3)", flush=True)


X264 = ["x264", "--preset", "ultrafast", "-o", os.devnull]
REAL_SCRIPT = 'BlankClip(length=300, width=1920, height=1080, pixel_type="YV12").ShowFrameNumber()\n'


def real_engine_figure(b, runs, engine_dir):
    """The runner's Y4M into x264 against x264's own reading of the script (Debian's x264
    loads the engine itself), on the real engine: the fastest and the median of each."""
    name = ("x264 on the real engine: --y4m 1080p 8-bit 4:2:0, 300 frames that change, "
            "piped into x264 against x264 --demuxer avs")
    if not shutil.which("x264"):
        print(f"{name}: skipped, no x264", flush=True)
        return
    script = os.path.join(b.scratch, "real.avs")
    with open(script, "w") as f:
        f.write(REAL_SCRIPT)
    env = dict(os.environ, LD_LIBRARY_PATH=engine_dir)
    quoted = lambda words: " ".join(f"'{w}'" for w in words)
    pipeline = (f"{quoted([b.runner, '--y4m', script])} 2>/dev/null | "
                f"{quoted(X264 + ['--demuxer', 'y4m', '-'])} 2>/dev/null")

    def timed(command, shell=False):
        start = time.perf_counter()
        code = subprocess.call(command, shell=shell, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, executable="/bin/bash" if shell else None)
        if code != 0:
            sys.exit(f"bench: {command} ended with {code}")
        return time.perf_counter() - start

    mine, theirs = [], []
    for _ in range(runs):
        mine.append(timed("set -o pipefail; " + pipeline, shell=True))
        theirs.append(timed(X264 + ["--demuxer", "avs", script]))
    print(f"{name}: pipe {min(mine):.3f} s fastest, {statistics.median(mine):.3f} s median; "
          f"x264 alone {min(theirs):.3f} s, {statistics.median(theirs):.3f} s; ratio "
          f"{min(mine) / min(theirs):.3f} fastest, "
          f"{statistics.median(mine) / statistics.median(theirs):.3f} median "
          f"(no target; {runs} alternating runs)", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--only", nargs="*", default=[], help="figures whose name has a word")
    parser.add_argument("--engine", help="folder of a real libavisynth.so")
    args = parser.parse_args()
    if args.runs < 5:
        sys.exit("bench: at least 5 runs per figure")
    wanted = lambda name: not args.only or any(word in name for word in args.only)
    with tempfile.TemporaryDirectory(prefix="qel_bench_") as scratch:
        b = bench(os.path.abspath(args.build), scratch)
        figures(b, args.runs, wanted)
        if args.engine and wanted("x264 on the real engine"):
            real_engine_figure(b, args.runs, os.path.abspath(args.engine))


if __name__ == "__main__":
    main()
