"""Runs the built program against the stand-in engine and collects what it produced.

The environment names the program (QEL_RUNNER), a launcher to put in front of it
(QEL_LAUNCHER: empty for the native build, wine for the Windows one), the folder of the
stand-in variants (QEL_STANDIN_ROOT) and the target system (QEL_TARGET).
"""

import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest

RUNNER = os.environ["QEL_RUNNER"]
LAUNCHER = shlex.split(os.environ.get("QEL_LAUNCHER", ""))
STANDIN_ROOT = os.environ["QEL_STANDIN_ROOT"]
WINDOWS = os.environ.get("QEL_TARGET") == "Windows"

LIBRARY_FILE = "avisynth.dll" if WINDOWS else "libavisynth.so"

# Text that a sanitizer's report holds, in a sanitized build.
SANITIZER_MARKERS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error:",
                     b"UndefinedBehaviorSanitizer")

# Trace lines the stand-in writes only when the runner misuses it.
MISUSE_MARKERS = ("unexpected_call", "foreign_video_info", "bad_plane",
                  "take_clip released_value", "bad_invoke")

USAGE = (
    "usage: qel_avs_runner --validate script.avs [frames.csv]\n"
    "       qel_avs_runner --validate-real script.avs [frames.csv]\n"
    "       qel_avs_runner --check-source expected_source_id script.avs\n"
    "       qel_avs_runner --y4m script.avs\n"
    "       qel_avs_runner --y4m-skip-drop fps_num fps_den script.avs\n"
    "       qel_avs_runner --wav script.avs\n"
)

LOAD_FAILED = ("failed to load AviSynth.dll. Install 64-bit AviSynth+ and make sure "
               "AviSynth.dll can be found.\n")
NO_PROPERTY_API = ("loaded AviSynth does not expose the frame property C API required by "
                   "qelkit\n")


def text(lines):
    """Bytes of lines printed through a text-mode stream of the target: standard error
    always, standard output outside the Y4M and WAV modes. Windows turns "\\n" into
    "\\r\\n" there; files the program writes are binary on both platforms."""
    data = lines.encode()
    return data.replace(b"\n", b"\r\n") if WINDOWS else data


def variant_dir(variant):
    return os.path.join(STANDIN_ROOT, variant)


def target_path(path):
    """A path of this machine as the program sees it: under wine, drive Z: is the root."""
    path = os.path.realpath(path)
    return "Z:" + path.replace("/", "\\") if WINDOWS else path


def library_path(variant):
    """The full path under which the runner finds the variant's library."""
    return target_path(os.path.join(variant_dir(variant), LIBRARY_FILE))


class run_result:
    def __init__(self, code, out, err, trace):
        self.code = code
        self.out = out
        self.err = err
        # The stand-in's call trace, one string per line; with interleave, the lines the
        # program printed stand among the calls.
        self.trace = trace


class runner_case(unittest.TestCase):
    """A test case with a scratch folder for fixtures and output files."""

    def setUp(self):
        self._scratch = tempfile.TemporaryDirectory(prefix="qel_")
        self.dir = self._scratch.name

    def tearDown(self):
        self._scratch.cleanup()

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def clip(self, *lines, name="clip.avs"):
        """Writes a clip description for the stand-in and returns its path."""
        path = self.path(name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write("".join(line + "\n" for line in lines))
        return path

    def trace_path(self):
        return self.path("trace.log")

    def start_runner(self, *args, variant="full", library_dir=None, faults=(), program=RUNNER,
                     **streams):
        """Starts the program in the scratch folder, so relative output paths land there.
        variant None: no engine on the search path. faults: the stand-in's fault switches,
        each "NAME" (set to 1) or "NAME=VALUE". streams: Popen's stdin, stdout, stderr."""
        env = dict(os.environ)
        env["QEL_STANDIN_TRACE"] = self.trace_path()
        for fault in faults:
            name, _, value = fault.partition("=")
            env[name] = value or "1"
        if library_dir is None:
            library_dir = variant_dir(variant) if variant else self.empty_dir()
        env.update(library_search_env(library_dir))
        return subprocess.Popen(LAUNCHER + [program] + list(args), env=env, cwd=self.dir,
                                **streams)

    def reset_trace(self):
        if os.path.exists(self.trace_path()):
            os.remove(self.trace_path())

    def read_trace(self):
        """The stand-in's call trace, one string per line, checked for misuse."""
        trace_bytes = b""
        if os.path.exists(self.trace_path()):
            with open(self.trace_path(), "rb") as f:
                trace_bytes = f.read()
        self.assert_no_sanitizer_report(trace_bytes)
        trace = trace_bytes.decode(errors="replace").splitlines()
        for line in trace:
            self.assertFalse(line.startswith(MISUSE_MARKERS), "stand-in misused: " + line)
        return trace

    def run_runner(self, *args, interleave=False, **options):
        """Runs the program to its end (options as start_runner). interleave: the trace,
        standard output and standard error all go to one file, in the order they
        happened."""
        self.reset_trace()
        if interleave:
            with open(self.trace_path(), "ab") as merged:
                proc = self.start_runner(*args, stdout=merged, stderr=merged, **options)
                proc.wait(timeout=120)
            out = err = b""
        else:
            proc = self.start_runner(*args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     **options)
            out, err = proc.communicate(timeout=120)
            err = without_allocation_warning(err)
            self.assert_no_sanitizer_report(err)
        return run_result(proc.returncode, out, err, self.read_trace())

    def assert_no_sanitizer_report(self, data):
        for marker in SANITIZER_MARKERS:
            self.assertNotIn(marker, data, data.decode(errors="replace"))

    def empty_dir(self):
        path = self.path("no_engine")
        os.makedirs(path, exist_ok=True)
        return path

    def copy_library(self, variant, folder):
        """A copy of a variant's library in a folder of the test's own."""
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(variant_dir(variant), LIBRARY_FILE), folder)
        return folder

    def read(self, *parts):
        with open(self.path(*parts), "rb") as f:
            return f.read()

    def assert_failed_with(self, result, code, message):
        self.assertEqual(result.err, text(message))
        self.assertEqual(result.out, b"")
        self.assertEqual(result.code, code)


# What AddressSanitizer prints, allowed to return null, when a request is beyond what it
# can ever give: a note, not a report, and no line of the program's.
_ALLOCATION_WARNING = re.compile(rb"==\d+==WARNING: AddressSanitizer failed to allocate 0x[0-9a-f]+ bytes\n")


def without_allocation_warning(err):
    return _ALLOCATION_WARNING.sub(b"", err)


def library_search_env(folder):
    """Environment that makes the loader find the engine in folder first."""
    if WINDOWS:
        return {"WINEPATH": target_path(folder)}
    return {"LD_LIBRARY_PATH": folder}


def without_timings(err):
    """Standard error with the seconds of the progress lines blanked out."""
    lines = []
    for line in err.split(b"\n"):
        if line.startswith((b"qel_render,", b"qel_progress,")):
            line = b",".join(line.split(b",")[:4]) + b",*,*"
        lines.append(line)
    return b"\n".join(lines)


def every_stdout_mode(case):
    """Each mode's arguments on one clip that serves them all, with the fetches it makes
    before its first write to standard output can fail: (arguments, fetches)."""
    clip = case.clip("video 64 48 25 1 5", "prop * qel_source_id int 7", "audio 48000 2 2 200000")
    return [
        (["--y4m", clip], []),
        (["--y4m-skip-drop", "24", "1", clip], []),
        (["--wav", clip], ["get_audio 0 65536"]),
        (["--validate", clip], []),
        (["--validate-real", clip, "f.csv"], []),
        (["--check-source", "7", clip], ["get_frame 0 held 1"]),
    ]


def calls(trace, *prefixes):
    """The trace lines that begin with one of the prefixes."""
    return [line for line in trace if line.startswith(prefixes)]


# What the stand-in serves, computed the same way it computes it.

_CYCLE = bytes(range(256))


def plane_bytes(frame, plane, row_size, height):
    """The rows of plane (0 Y, 1 U, 2 V) of a frame, without the pitch's padding."""
    cycle = _CYCLE * (row_size // 256 + 2)
    rows = []
    for row in range(height):
        start = (frame * 11 + plane * 67 + row * 5) & 0xFF
        rows.append(cycle[start:start + row_size])
    return b"".join(rows)


def default_planes(width, height, family=420, bits=8):
    """(row size, height) of the planes Y, U and V when the description sets none."""
    size = 1 if bits <= 8 else 2 if bits <= 16 else 4
    chroma_width = width // 2 if family in (420, 422) else width
    chroma_height = height // 2 if family == 420 else height
    return [(width * size, height), (chroma_width * size, chroma_height),
            (chroma_width * size, chroma_height)]


def y4m_frame(frame, planes):
    return b"FRAME\n" + b"".join(plane_bytes(frame, p, row, rows)
                                 for p, (row, rows) in enumerate(planes))


def sample_bytes(start, count):
    """The interleaved audio bytes from byte offset start."""
    return bytes((k + (k >> 8)) & 0xFF for k in range(start, start + count))
