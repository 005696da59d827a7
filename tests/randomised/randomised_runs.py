"""Randomised runs: command lines and stand-in clip descriptions drawn at random, each run
checked against what the program promises, computed from the case alone and never from
the program's own answer.

    randomised_runs.py [--seconds S] [--seed S] [--case K] [--min-cases N] [--jobs J]

Every case is drawn from (seed, number) alone, so a failure printed with its seed and
number replays with --seed S --case K. The environment is the black-box harness's
(QEL_RUNNER, QEL_STANDIN_ROOT); a sanitized build's ASAN_OPTIONS pass through. The last
line is "randomised runs: N cases, seed S, V violations"; the exit code is 1 when V > 0
or fewer than --min-cases cases ran.
"""

import argparse
import collections
import concurrent.futures
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "blackbox"))

from harness import (LOAD_FAILED, MISUSE_MARKERS, NO_PROPERTY_API, RUNNER,  # noqa: E402
                     SANITIZER_MARKERS, USAGE, library_path, library_search_env, plane_bytes,
                     variant_dir, without_allocation_warning)

VERBS = ["--validate", "--validate-real", "--check-source", "--y4m", "--y4m-skip-drop", "--wav"]
WRONG_VERBS = ["--VALIDATE", "--y4m ", "-y4m", "--y4", "--wavx", "", "validate", "--y4m-skip",
               "--check-sourc", "--Wav", "y4m", "--validate=1", " --wav"]
ACCEPTED_ARGC = {"--validate": (3, 4), "--validate-real": (3, 4), "--check-source": (4,),
                 "--y4m": (3,), "--y4m-skip-drop": (5,), "--wav": (3,)}
CSV_KEYS = [("qel_source_id", False), ("qel_source_frame", False), ("qel_drop_frame", True),
            ("_Matrix", False), ("_Primaries", True), ("_Transfer", True),
            ("_ColorRange", True)]
FLOAT_KEY = "qel_absolute_timestretch"
TAGS = {420: ["C420jpeg", "C420p10", "C420p12", "C420p14", "C420p16"],
        422: ["C422", "C422p10", "C422p12", "C422p14", "C422p16"],
        444: ["C444", "C444p10", "C444p12", "C444p14", "C444p16"]}
SCRIPT = "clip.avs"
INT64_MAX = 2 ** 63 - 1
CHUNK = 65536
MAX_STREAM_BYTES = 4 << 20  # keeps each case quick; larger draws are drawn again
# Standard output on /dev/full: every write that reaches the device fails.
STDOUT_FAILED = "failed to write standard output: No space left on device\n"

# ---------------------------------------------------------------------------------------
# Drawing cases


def draw_number(rng):
    """A number argument as a driving program might garble it."""
    if rng.random() < 0.15:
        return rng.choice(["", " ", "abc", "-", "+", "0x1F", "+-3", "--1", "1e3", "\t"])
    digits = rng.choice(["0", "1", "7", "24", "25", "30", "1001", "24000", "30000",
                         "4294967295", "4294967296", "9223372036854775807",
                         "9223372036854775808", "18446744073709551616",
                         "99999999999999999999999", str(rng.randrange(0, 10 ** rng.randrange(1, 12)))])
    text = "0" * rng.choice([0, 0, 0, 1, 3]) + digits
    text = rng.choice(["", "", "", "-", "+"]) + text
    text = rng.choice(["", "", "", " ", "\t", "\n "]) + text
    return text + rng.choice(["", "", "", "", "abc", ".5", " ", "x1"])


def draw_csv(rng):
    # full.csv is a link to /dev/full: the CSV opens, and no byte can be written to it.
    return rng.choice(["f.csv"] * 6 + ["", "missing_dir/f.csv", "dir.csv", "sub/f.csv", "full.csv"])


def draw_command_line(rng):
    if rng.random() < 0.2:
        args = [rng.choice(VERBS + WRONG_VERBS)]
        for _ in range(rng.randrange(0, 6)):
            args.append(rng.choice([SCRIPT, SCRIPT, "f.csv", draw_number(rng), "", " "]))
        return args
    verb = rng.choice(VERBS)
    if verb.startswith("--validate"):
        return [verb, SCRIPT] + ([draw_csv(rng)] if rng.random() < 0.7 else [])
    if verb == "--check-source":
        return [verb, draw_number(rng) if rng.random() < 0.3 else str(rng.choice([0, 5, -1, 42])), SCRIPT]
    if verb == "--y4m-skip-drop":
        fps = [draw_number(rng), draw_number(rng)] if rng.random() < 0.3 else ["24000", "1001"]
        return [verb] + fps + [SCRIPT]
    return [verb, SCRIPT]


def draw_setup(rng):
    """The stand-in variant and its fault switches."""
    if rng.random() < 0.88:
        return rng.choice(["full"] * 9 + ["without_format_queries"]), []
    return rng.choice([(None, []), ("without_required", []), ("full", ["QEL_STANDIN_NO_ENV"]),
                       ("without_optional", []), ("without_prop_float", []),
                       ("full", ["QEL_STANDIN_ENV_VERSION=8"]),
                       ("full", ["QEL_STANDIN_ENV_VERSION=9"]),
                       ("full", ["QEL_STANDIN_SET_VAR_FAIL"])])


def draw_text(rng):
    return rng.choice(["", "engine said no", "Script error: no such function\\n(clip.avs, line 3)",
                       "ends in a line feed\\n", "100% sure %s %d", "tab\\there"])


def draw_description(rng, audio_odds, video_frames_cap=40):
    lines = []
    result = rng.choice(["clip"] * 17 + ["error", "int", "float", "string", "bool", "void"])
    if result != "clip":
        return ["result " + result, "text " + draw_text(rng)]
    width = rng.choice([0, 1, 2, 4, 6, 8, 16, 33, 48])
    height = rng.choice([0, 1, 2, 4, 6, 12, 48])
    frames = rng.choice([0, -1, -7, 1, 2, 3, 5, 8, 13, rng.randrange(1, video_frames_cap + 1)])
    if rng.random() < 0.02:
        width, height, frames = 2, 2, rng.choice([1001, 1002, 2001])
    lines.append(f"video {width} {height} {rng.choice([25, 30000, 0, 4294967295])} "
                 f"{rng.choice([1, 1001, 0, 3000000000])} {frames}")
    lines.append(f"pixel_type {rng.choice([-1610612728, 0, 12345, -2147483648])}")
    lines.append(f"format {rng.choice(['420', '422', '444', 'none', '411'])} "
                 f"{rng.choice([8, 8, 10, 12, 14, 16, 9, 32, 0, -3, 1])}")
    lines.append("legacy " + rng.choice(["yv12", "yv16", "yv24", "none"]))
    if rng.random() < 0.15:
        for plane in rng.sample("YUV", rng.randrange(1, 4)):
            row = rng.choice([-2, 0, 1, 3, 7, 16, 40])
            rows = rng.choice([-1, 0, 1, 2, 5])
            pitch = max(row, 0) + rng.choice([0, 1, 13, 40])
            lines.append(f"plane {plane} {row} {rows} {pitch}")
    if rng.random() < 0.15:
        failing = rng.randrange(0, max(frames, 1) + 2)
        lines.append(f"fetch_fail {failing}" + rng.choice(["", " text", " text " + draw_text(rng)]))
    for _ in range(rng.choice([0, 0, 1, 2, 4, 6])):
        frame = "*" if rng.random() < 0.5 else str(rng.randrange(0, max(frames, 1) + 1))
        key = rng.choice([k for k, _ in CSV_KEYS] + [FLOAT_KEY, "other"])
        kind = rng.choice(["int", "int", "int", "float", "data"])
        if kind == "int":
            values = [str(rng.choice([0, 1, -1, 7, INT64_MAX, -INT64_MAX - 1, rng.randrange(-99, 99)]))
                      for _ in range(rng.choice([0, 1, 1, 2]))]
        elif kind == "float":
            values = [repr(rng.choice([1.0, 0.1, 1e-5, 1e17, -2.5, 0.0, rng.uniform(-1e6, 1e6)]))
                      for _ in range(rng.choice([0, 1, 1, 2]))]
        else:
            values = []
        lines.append(" ".join(["prop", frame, key, kind] + values))
    if rng.random() < 0.1:
        frame = "*" if rng.random() < 0.3 else str(rng.randrange(0, max(frames, 1)))
        lines.append(f"props_map {frame} {rng.choice(['none', 'error'])}")
    if rng.random() < audio_odds:
        count = rng.choice([0, 1, 100, 65535, 65536, 65537, 140000, -5, 1431655753, 1431655754,
                            INT64_MAX])
        lines.append(f"audio {rng.choice([48000, 44100, 8000, 0])} "
                     f"{rng.choice([2, 2, 4, 8, 16, 1, 3, 32, -1])} "
                     f"{rng.choice([1, 2, 2, 6, 8, 0, -2, 1073741823])} {count}")
        if count > 1 << 30 and rng.random() < 0.5:
            lines.append("audio_fail 0" + rng.choice(["", " text " + draw_text(rng)]))
        elif rng.random() < 0.2:
            lines.append(f"audio_fail {rng.choice([0, 1, 65535, 65536, 131072, 139999])}"
                         + rng.choice(["", " text", " text " + draw_text(rng)]))
    rng.shuffle(lines)
    return lines


def draw_case(seed, number):
    rng = random.Random(f"{seed}:{number}")
    variant, faults = draw_setup(rng)
    for _ in range(50):
        args = draw_command_line(rng)
        audio_odds = 0.95 if args[0] == "--wav" else 0.3
        case = {"args": args, "lines": draw_description(rng, audio_odds),
                "variant": variant, "faults": faults, "script_exists": rng.random() < 0.96,
                "stdout_full": rng.random() < 0.1}
        if stream_bytes(case) <= MAX_STREAM_BYTES:
            return case
    case["lines"] = ["video 4 4 25 1 1"]
    return case


# ---------------------------------------------------------------------------------------
# The stand-in's clip, as its description says


class clip:
    def __init__(self, lines):
        self.result = "clip"
        self.text = ""
        self.width, self.height, self.fps_num, self.fps_den, self.frames = 64, 48, 25, 1, 1
        self.pixel_type = 0
        self.family, self.bits, self.legacy = 420, 8, "yv12"
        self.planes = {}
        self.fetch_failures = {}
        self.props = []
        self.map_states = {}
        self.rate, self.sample_type, self.channels, self.samples = 0, 0, 0, 0
        self.audio_fail = None
        for line in lines:
            self.take(line)

    def take(self, line):
        words = line.split(" ")
        head, rest = words[0], words[1:]
        if head == "result":
            self.result = rest[0]
        elif head == "text":
            self.text = unescape(line[5:])
        elif head == "video":
            self.width, self.height, self.fps_num, self.fps_den, self.frames = map(int, rest)
        elif head == "pixel_type":
            self.pixel_type = int(rest[0])
        elif head == "format":
            self.family = 0 if rest[0] == "none" else int(rest[0])
            self.bits = int(rest[1])
        elif head == "legacy":
            self.legacy = rest[0]
        elif head == "plane":
            self.planes["YUV".index(rest[0])] = tuple(map(int, rest[1:4]))
        elif head == "fetch_fail":
            self.fetch_failures[int(rest[0])] = optional_text(line, 2)
        elif head == "prop":
            frame = -1 if rest[0] == "*" else int(rest[0])
            values = ([int(v) for v in rest[3:]] if rest[2] == "int"
                      else [float(v) for v in rest[3:]] if rest[2] == "float" else [])
            self.props.append((frame, rest[1], rest[2][0], values))
        elif head == "props_map":
            self.map_states[-1 if rest[0] == "*" else int(rest[0])] = rest[1]
        elif head == "audio":
            self.rate, self.sample_type, self.channels, self.samples = map(int, rest)
        elif head == "audio_fail":
            self.audio_fail = (int(rest[0]), optional_text(line, 2))

    def plane(self, index):
        """(row size, height) of a plane, as the stand-in derives it."""
        if index in self.planes:
            return self.planes[index][:2]
        size = 1 if self.bits <= 8 else 2 if self.bits <= 16 else 4
        width, height = self.width, self.height
        if index > 0 and self.family in (420, 422):
            width = int(width / 2)
        if index > 0 and self.family == 420:
            height = int(height / 2)
        return width * size, height

    def rule(self, rules, frame):
        return rules.get(frame, rules.get(-1))

    def read_prop(self, frame, key, kind):
        """(result, value): 1 present, 0 absent, -1 failed."""
        state = self.rule(self.map_states, frame)
        if state == "none":
            return 0, 0
        if state == "error":
            return -1, 0
        exact = [p for p in self.props if p[1] == key and p[0] == frame]
        star = [p for p in self.props if p[1] == key and p[0] == -1]
        entry = exact[0] if exact else star[-1] if star else None
        if entry is None:
            return 0, 0
        if entry[2] != kind:
            return -1, 0
        if not entry[3]:
            return 0, 0
        return 1, entry[3][0]


def unescape(raw):
    out, i = [], 0
    while i < len(raw):
        c = raw[i]
        if c == "\\" and i + 1 < len(raw):
            i += 1
            c = {"n": "\n", "r": "\r", "t": "\t"}.get(raw[i], raw[i])
        out.append(c)
        i += 1
    return "".join(out)


def optional_text(line, words_before):
    """None, or the text after "text" in a fetch_fail / audio_fail line."""
    words = line.split(" ")
    if len(words) <= words_before or words[words_before] != "text":
        return None
    return unescape(" ".join(words[words_before + 1:]))


def suffix(text):
    return "" if text is None else ": " + text


# ---------------------------------------------------------------------------------------
# What the program promises


def c_isspace(c):
    return c in " \t\n\v\f\r"


def parse_digits(text, limit):
    """Leading white space, one sign, decimal digits: (negative, magnitude capped at
    limit + 1)."""
    i = 0
    while i < len(text) and c_isspace(text[i]):
        i += 1
    negative = False
    if i < len(text) and text[i] in "+-":
        negative = text[i] == "-"
        i += 1
    magnitude = 0
    while i < len(text) and text[i].isdigit() and text[i].isascii():
        magnitude = min(magnitude * 10 + int(text[i]), limit + 1)
        i += 1
    return negative, magnitude


def strtoll(text):
    negative, magnitude = parse_digits(text, INT64_MAX)
    if negative:
        return -min(magnitude, INT64_MAX + 1)
    return min(magnitude, INT64_MAX)


def strtoul32(text):
    negative, magnitude = parse_digits(text, 0xFFFFFFFF)
    if magnitude > 0xFFFFFFFF:
        return 0xFFFFFFFF
    return (-magnitude) & 0xFFFFFFFF if negative else magnitude


def chroma_tag(c, variant):
    newer = variant != "without_format_queries"
    depth = c.bits if newer and c.bits > 0 else 8
    if newer and c.family in TAGS:
        if depth <= 8:
            return TAGS[c.family][0]
        if depth in (10, 12, 14, 16):
            return TAGS[c.family][(depth - 8) // 2]
        return None
    return {"yv12": "C420jpeg", "yv16": "C422", "yv24": "C444"}.get(c.legacy)


def bit_depth(c, variant):
    return c.bits if variant != "without_format_queries" and c.bits > 0 else 8


def frame_record(c, frame):
    record = [b"FRAME\n"]
    for p in range(3):
        row, rows = c.plane(p)
        if row > 0 and rows > 0:
            record.append(plane_bytes(frame, p, row, rows))
    return b"".join(record)


_CYCLE = bytes(range(256)) * 2


def sample_bytes(start, count):
    """Bytes start to start + count of (k + (k >> 8)) & 255, a run of 256 at a time."""
    out, k, end = [], start, start + count
    while k < end:
        run_end = min(end, (k | 255) + 1)
        first = (k + (k >> 8)) & 255
        out.append(_CYCLE[first:first + run_end - k])
        k = run_end
    return b"".join(out)


def wav_layout(c):
    size = {2: 2, 4: 3}.get(c.sample_type, 4)
    block = c.channels * size
    block = (block + 2 ** 31) % 2 ** 32 - 2 ** 31  # a signed 32-bit value
    data = c.samples * block
    fits = -2 ** 63 <= data <= 4294967295 - 36
    return size, block, data, fits


def stream_bytes(case):
    """An upper bound of what the case writes on standard output, for drawing cases that
    run quickly."""
    c = clip(case["lines"])
    verb = case["args"][0] if case["args"] else ""
    if verb == "--wav" and c.result == "clip" and c.rate != 0 and c.sample_type in (2, 4, 8, 16):
        _, block, data, fits = wav_layout(c)
        if fits and block > 0 and block * CHUNK < 1 << 40:
            if c.audio_fail is not None and 0 <= c.audio_fail[0]:
                data = min(data, (c.audio_fail[0] // CHUNK + 1) * CHUNK * block)
            return data
        return 0
    frames = max(c.frames, 0)
    return frames * sum(max(r, 0) * max(h, 0) for r, h in map(c.plane, range(3)))


class expected:
    """The promised outcome: exit code, standard output, messages on standard error,
    progress (label and frame count, or none), CSV and run log (None: no such file;
    csv_prefix: the CSV may stop anywhere after its header)."""

    def __init__(self):
        self.code = None
        self.out = b""
        self.messages = b""
        self.progress = None
        self.csv = None
        self.csv_prefix = False
        self.log = None

    def fail(self, code, message):
        self.code = code
        self.messages += message.encode()
        return self


def expect(case, scratch):
    e = expected()
    args = case["args"]
    argc = len(args) + 1
    if argc < 3 or argc > 5 or args[0] not in VERBS or argc not in ACCEPTED_ARGC[args[0]]:
        return e.fail(2, USAGE)
    verb = args[0]
    validation = verb.startswith("--validate")
    script = args[1] if validation else args[-1]
    csv = args[2] if validation and argc == 4 else None
    expected_id = strtoll(args[1]) if verb == "--check-source" else 0
    if verb == "--y4m-skip-drop":
        fps = (strtoul32(args[1]), strtoul32(args[2]))
        if 0 in fps:
            return e.fail(2, "Y4M fps numerator and denominator must be positive\n")
    log = None
    if csv is not None and log_can_be_created(scratch, csv):
        log = ["start", "runner: windows 64-bit", script, "load: AviSynth.dll"]
        e.log = log
    variant, faults = case["variant"], case["faults"]
    if variant in (None, "without_required"):
        log is not None and log.append("failed: AviSynth.dll")
        return e.fail(2, LOAD_FAILED)
    log is not None and log.extend(["dll: " + library_path(variant), "create: script environment v8"])
    if "QEL_STANDIN_NO_ENV" in faults:
        log is not None and log.append("failed: script environment")
        return e.fail(2, "failed to create Avisynth environment\n")
    if variant in ("without_optional", "without_prop_float") or "QEL_STANDIN_ENV_VERSION=8" in faults:
        log is not None and log.append("failed: frame property API unavailable")
        return e.fail(2, NO_PROPERTY_API)
    if validation and "QEL_STANDIN_SET_VAR_FAIL" in faults:
        return e.fail(2, "failed to set validation source mode\n")
    log is not None and log.append("import: script")
    if not case["script_exists"] or script != SCRIPT:
        log is not None and log.append("failed: import")
        return e.fail(1, f'Import: couldn\'t open "{script}"\n')
    c = clip(case["lines"])
    if c.result == "error":
        log is not None and log.append("failed: import")
        return e.fail(1, c.text + "\n")
    if c.result != "clip":
        log is not None and log.append("failed: script did not return clip")
        return e.fail(3, "script did not return a clip\n")
    log is not None and log.extend(["take: clip", "get: video info", f"info: frames {c.frames}"])
    full = case["stdout_full"]
    if verb == "--check-source":
        check_source(e, c, expected_id, full)
    elif verb == "--wav":
        write_wav(e, c, full)
    elif validation:
        validate(e, c, variant, csv, scratch, log, full)
    else:
        fps = fps if verb == "--y4m-skip-drop" else (c.fps_num, c.fps_den)
        y4m(e, c, variant, fps, verb == "--y4m-skip-drop", full)
    if full:
        e.out = b""  # nothing reaches the device
    log is not None and log.append(f"exit: {e.code}")
    return e


def log_can_be_created(scratch, csv):
    path = os.path.join(scratch, csv + ".runner.log")
    return os.path.isdir(os.path.dirname(path)) and not os.path.isdir(path)


def check_source(e, c, expected_id, full):
    if c.frames < 1:
        return e.fail(13, "script has no video frames\n")
    if 0 in c.fetch_failures:
        return e.fail(5, "failed to get frame 0" + suffix(c.fetch_failures[0]) + "\n")
    result, found = c.read_prop(0, "qel_source_id", "i")
    if result < 0:
        return e.fail(12, "failed to read qel_source_id at frame 0\n")
    if result == 0:
        return e.fail(14, "frame 0 is missing qel_source_id\n")
    if found != expected_id:
        return e.fail(15, f"frame 0 has qel_source_id {found}, expected {expected_id}\n")
    if full:  # the line fails at its flush
        return e.fail(16, STDOUT_FAILED)
    e.out = f"source_id={found}\n".encode()
    e.code = 0
    return e


def write_wav(e, c, full):
    if c.rate == 0:
        return e.fail(6, "script has no audio\n")
    if c.sample_type not in (2, 4, 8, 16):
        return e.fail(7, f"unsupported Avisynth audio sample type for WAV output: {c.sample_type}\n")
    size, block, data, fits = wav_layout(c)
    if not fits:
        return e.fail(8, "WAV output would exceed RIFF size limit\n")
    u32 = lambda v: v & 0xFFFFFFFF
    e.out = (b"RIFF" + struct.pack("<I", u32(u32(data) + 36)) + b"WAVEfmt "
             + struct.pack("<IHHIIHH", 16, 3 if c.sample_type == 16 else 1, c.channels & 0xFFFF,
                           u32(c.rate), u32(u32(c.rate) * u32(block)), block & 0xFFFF, 8 * size)
             + b"data" + struct.pack("<I", u32(data)))
    if block * CHUNK <= 0 or block * CHUNK >= 1 << 40:
        return e.fail(10, "failed to allocate audio buffer\n")
    for start in range(0, max(c.samples, 0), CHUNK):
        count = min(CHUNK, c.samples - start)
        if c.audio_fail is not None and start <= c.audio_fail[0] < start + count:
            return e.fail(9, f"failed to get audio at sample {start}{suffix(c.audio_fail[1])}\n")
        if full:  # the header and this chunk fail as one write, or at the end
            return e.fail(16, STDOUT_FAILED)
        e.out += sample_bytes(start * block, count * block)
    if full:
        return e.fail(16, STDOUT_FAILED)
    e.code = 0
    return e


def y4m(e, c, variant, fps, skip_drop, full):
    e.progress = ("qel_render", c.frames)
    tag = chroma_tag(c, variant)
    if tag is None:
        e.progress = ("qel_render", c.frames, "first line only")
        return e.fail(4, f"unsupported Avisynth pixel format for Y4M output: {c.pixel_type}\n")
    e.out = f"YUV4MPEG2 W{c.width} H{c.height} F{fps[0]}:{fps[1]} Ip A0:0 {tag}\n".encode()
    if full:  # the header's flush fails: no frame is fetched
        e.progress = ("qel_render", c.frames, "first line only")
        return e.fail(16, STDOUT_FAILED)
    for frame in range(max(c.frames, 0)):
        if frame in c.fetch_failures:
            return e.fail(5, f"failed to get frame {frame}{suffix(c.fetch_failures[frame])}\n")
        if skip_drop:
            result, value = c.read_prop(frame, "qel_drop_frame", "i")
            if result == 1 and value != 0:
                continue
        e.out += frame_record(c, frame)
    e.code = 0
    return e


def csv_row(c, frame):
    """The row of a frame, or None when a read fails."""
    cells = [str(frame)]
    for key, zero_when_absent in CSV_KEYS:
        result, value = c.read_prop(frame, key, "i")
        if result < 0:
            return None
        cells.append(str(value) if result == 1 else "0" if zero_when_absent else "")
    result, value = c.read_prop(frame, FLOAT_KEY, "f")
    if result < 0:
        return None
    cells.append("%.17g" % value if result == 1 else "")
    return ",".join(cells) + "\n"


def validate(e, c, variant, csv, scratch, log, full):
    tag = chroma_tag(c, variant) or "unknown"
    e.out = (f"clip_info,width={c.width},height={c.height},chroma={tag},"
             f"bit_depth={bit_depth(c, variant)},frames={c.frames},fps_num={c.fps_num},"
             f"fps_den={c.fps_den},has_audio={1 if c.rate else 0},audio_rate={c.rate},"
             f"audio_channels={c.channels},audio_samples={c.samples}\n").encode()
    log is not None and log.append("render: clip_info")
    if csv is not None:
        log is not None and log.append("render: open validation csv")
        path = os.path.join(scratch, csv)
        if csv == "" or os.path.isdir(path) or not os.path.isdir(os.path.dirname(path)):
            return e.fail(11, f"failed to open validation CSV for writing: {csv}\n")
        if csv == "full.csv":  # its header cannot be written
            return e.fail(16, f"failed to write validation CSV {csv}: No space left on device\n")
        e.csv = ("output_frame,source_id,source_frame,drop_frame,matrix,primaries,transfer,"
                 "color_range,absolute_timestretch\n")
    e.progress = ("qel_progress", c.frames)
    if full and c.frames > 0:  # the clip information line failed: no frame is fetched
        e.progress = ("qel_progress", c.frames, "first line only")
        return e.fail(16, STDOUT_FAILED)
    for frame in range(max(c.frames, 0)):
        if log is not None and (frame in (0, c.frames - 1) or frame % 1000 == 0):
            log.append(f"render: frame {frame}")
        if frame in c.fetch_failures:
            e.csv_prefix = True
            return e.fail(5, f"failed to get frame {frame}{suffix(c.fetch_failures[frame])}\n")
        if csv is not None:
            row = csv_row(c, frame)
            if row is None:
                return e.fail(12, f"failed to read qelkit frame properties at frame {frame}\n")
            e.csv += row
    if csv is not None:
        log is not None and log.append("render: close validation csv")
    log is not None and log.append("render: complete")
    if full:
        return e.fail(16, STDOUT_FAILED)
    e.out += f"rendered={c.frames}\n".encode()
    e.code = 0
    return e


# ---------------------------------------------------------------------------------------
# Running and judging one case


def run_case(seed, number, keep=False):
    """The violations of one case, as text lines (none when it kept every promise)."""
    case = draw_case(seed, number)
    scratch = tempfile.mkdtemp(prefix="qel_random_")
    try:
        os.makedirs(os.path.join(scratch, "dir.csv"))
        os.makedirs(os.path.join(scratch, "sub"))
        os.symlink("/dev/full", os.path.join(scratch, "full.csv"))
        if case["script_exists"]:
            with open(os.path.join(scratch, SCRIPT), "w") as f:
                f.write("".join(line + "\n" for line in case["lines"]))
        want = expect(case, scratch)
        got = run(case, scratch)
        return want.code, judge(case, want, got, scratch)
    finally:
        if keep:
            print("scratch folder kept:", scratch)
        else:
            shutil.rmtree(scratch, ignore_errors=True)


def run(case, scratch):
    env = dict(os.environ)
    trace = os.path.join(scratch, "trace.log")
    env["QEL_STANDIN_TRACE"] = trace
    for fault in case["faults"]:
        name, _, value = fault.partition("=")
        env[name] = value or "1"
    folder = variant_dir(case["variant"]) if case["variant"] else os.path.join(scratch, "sub")
    env.update(library_search_env(folder))
    try:
        with open("/dev/full" if case["stdout_full"] else os.devnull, "wb") as full:
            stdout = full if case["stdout_full"] else subprocess.PIPE
            proc = subprocess.run([RUNNER] + case["args"], stdout=stdout, stderr=subprocess.PIPE,
                                  env=env, cwd=scratch, timeout=60)
        code, out, err = proc.returncode, proc.stdout or b"", without_allocation_warning(proc.stderr)
    except subprocess.TimeoutExpired:
        code, out, err = "hang", b"", b""
    trace_lines = []
    if os.path.exists(trace):
        with open(trace, "rb") as f:
            trace_lines = f.read().decode(errors="replace").splitlines()
    return code, out, err, trace_lines


def read_file(scratch, name):
    path = os.path.join(scratch, name)
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read().decode(errors="replace")


def judge(case, want, got, scratch):
    code, out, err, trace = got
    problems = []
    if code == "hang":
        return ["no end within 60 s"]
    for marker in SANITIZER_MARKERS:
        if marker in err:
            problems.append("sanitizer report: " + err.decode(errors="replace")[-2000:])
    if code != want.code:
        problems.append(f"exit code {code}, promised {want.code}")
    if out != want.out:
        problems.append(f"standard output differs: {len(out)} bytes, promised {len(want.out)}; "
                        f"first difference at {first_difference(out, want.out)}")
    progress = [line for line in err.splitlines(keepends=True)
                if line.startswith((b"qel_render,", b"qel_progress,"))]
    messages = b"".join(line for line in err.splitlines(keepends=True) if line not in progress)
    if messages != want.messages:
        problems.append(f"standard error {messages!r}, promised {want.messages!r}")
    problems += judge_progress(progress, want)
    csv_path = case["args"][2] if len(case["args"]) == 3 and case["args"][0].startswith("--validate") else None
    if want.csv is not None:
        written = read_file(scratch, csv_path)
        if written is None:
            problems.append("no CSV")
        elif want.csv_prefix:
            if not want.csv.startswith(written) or not written.startswith(want.csv.split("\n")[0]):
                problems.append("CSV is not a prefix of the rows promised")
        elif written != want.csv:
            problems.append(f"CSV {written!r}, promised {want.csv!r}")
    if csv_path is not None and log_can_be_created(scratch, csv_path):
        written = read_file(scratch, csv_path + ".runner.log")
        promised = None if want.log is None else "".join(line + "\n" for line in want.log)
        if written != promised:
            problems.append(f"run log {written!r}, promised {promised!r}")
    for line in trace:
        if line.startswith(MISUSE_MARKERS):
            problems.append("stand-in misused: " + line)
        if line.startswith("get_frame ") and not line.endswith("failed") and not line.endswith(" held 1"):
            problems.append("more than one frame held: " + line)
    return problems


def judge_progress(lines, want):
    if want.progress is None:
        return ["progress lines where none are promised"] if lines else []
    label, total = want.progress[:2]
    rows = [line.decode().rstrip("\n").split(",") for line in lines]
    if any(len(row) != 6 or row[0] != label or row[2] != str(total) for row in rows):
        return [f"progress lines {lines!r}"]
    done = [int(row[1]) for row in rows]
    problems = []
    if not done or done[0] != 0:
        problems.append("no first progress line")
    elif len(want.progress) == 3 or total <= 0:
        if len(done) != 1:
            problems.append(f"{len(done)} progress lines, promised one")
    elif want.code == 0 and (done[-1] != total or rows[-1][3] != "100.00" or rows[-1][5] != "0.000"):
        problems.append(f"last progress line {lines[-1]!r}")
    if done != sorted(done):
        problems.append("progress counts go backwards")
    return problems


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


# ---------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--case", type=int, default=None, help="replay one case")
    parser.add_argument("--min-cases", type=int, default=0)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1, 2 ** 31)
    print(f"randomised runs: seed {seed}", flush=True)

    if args.case is not None:
        case = draw_case(seed, args.case)
        print("case:", case)
        _, problems = run_case(seed, args.case, keep=True)
        print("\n".join(problems) or "no violation")
        return 1 if problems else 0

    lock = threading.Lock()
    deadline = time.monotonic() + args.seconds
    state = {"next": 0, "violations": 0}
    codes = collections.Counter()

    def worker():
        while time.monotonic() < deadline:
            with lock:
                number = state["next"]
                state["next"] += 1
            code, problems = run_case(seed, number)
            with lock:
                codes[code] += 1
            if problems:
                with lock:
                    state["violations"] += 1
                    print(f"VIOLATION in case {number}: {draw_case(seed, number)}")
                    for problem in problems:
                        print("   ", problem[:3000])
                    print(f"    replay: {sys.executable} {sys.argv[0]} --seed {seed} --case {number}",
                          flush=True)

    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        for future in [pool.submit(worker) for _ in range(args.jobs)]:
            future.result()
    cases = state["next"]
    print("promised exit codes: " + ", ".join(f"{code}: {n}" for code, n in sorted(codes.items())))
    print(f"randomised runs: {cases} cases, seed {seed}, {state['violations']} violations")
    return 1 if state["violations"] or cases < args.min_cases else 0


if __name__ == "__main__":
    sys.exit(main())
