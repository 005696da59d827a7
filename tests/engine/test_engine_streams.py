"""The runner's Y4M and WAV bytes on the real engine, for every Y4M tag and every WAV
sample type, against what the engine delivers to the tests' own reference reader."""

import unittest

from engine_harness import engine_case, plane_sizes, wav_header, y4m_stream

# 100x60: rows narrower than the engine's aligned pitch, so padding must be left out.
WIDTH, HEIGHT, FRAMES = 100, 60, 3

FAMILIES = {420: ("YV12", "C420jpeg"), 422: ("YV16", "C422"), 444: ("YV24", "C444")}


def pixel_type(family, bits):
    return FAMILIES[family][0] if bits == 8 else f"YUV{family}P{bits}"


def y4m_tag(family, bits):
    return FAMILIES[family][1] if bits == 8 else f"C{family}p{bits}"


class y4m_on_the_engine(engine_case):
    def test_every_tag_against_the_engine_frames(self):
        for family in (420, 422, 444):
            for bits in (8, 10, 12, 14, 16):
                with self.subTest(pixel_type=pixel_type(family, bits)):
                    # Colour bars and a frame number: other bytes in every plane and frame.
                    self.script(f'ColorBars(width={WIDTH}, height={HEIGHT}, '
                                f'pixel_type="{pixel_type(family, bits)}")',
                                f"ShowFrameNumber().Trim(0, {FRAMES - 1})")
                    result = self.run_engine("--y4m", "s.avs")
                    self.assert_succeeded(result)
                    header = f"YUV4MPEG2 W{WIDTH} H{HEIGHT} F30000:1001 Ip A0:0 {y4m_tag(family, bits)}"
                    frame_bytes = sum(plane_sizes(WIDTH, HEIGHT, family, bits))
                    raw = self.reference("video", "s.avs")
                    self.assertEqual(len(raw), FRAMES * frame_bytes)
                    self.assertEqual(result.out, y4m_stream(header, raw, frame_bytes))

    def test_skip_drop_announces_the_rate_given(self):
        self.script(f'ColorBars(width={WIDTH}, height={HEIGHT}, pixel_type="YV12")',
                    "ShowFrameNumber().Trim(0, 9)",
                    'ScriptClip("""propSet("qel_drop_frame", current_frame % 3 == 0 ? 7 : 0)""")')
        result = self.run_engine("--y4m-skip-drop", "-1", "1001", "s.avs")
        self.assert_succeeded(result)
        frame_bytes = sum(plane_sizes(WIDTH, HEIGHT, 420, 8))
        header = f"YUV4MPEG2 W{WIDTH} H{HEIGHT} F4294967295:1001 Ip A0:0 C420jpeg"
        self.assertEqual(result.out, y4m_stream(header, self.reference("video", "s.avs"),
                                                frame_bytes, keep=lambda k: k % 3 != 0))


class wav_on_the_engine(engine_case):
    def test_every_sample_type_against_the_engine_samples(self):
        # conversion, bytes per channel sample, float
        cases = [("ConvertAudioTo16bit()", 2, False), ("ConvertAudioTo24bit()", 3, False),
                 ("ConvertAudioTo32bit()", 4, False), ("ConvertAudioToFloat()", 4, True)]
        for channels in (1, 2, 6):
            for conversion, size, float_samples in cases:
                with self.subTest(channels=channels, conversion=conversion):
                    # 1.5 s at 44.1 kHz: 66150 samples, a chunk of 65536 and a short one.
                    self.script(f'Tone(length=1.5, frequency=997, samplerate=44100, '
                                f'channels={channels}, type="Sine", level=0.7)', conversion)
                    result = self.run_engine("--wav", "s.avs")
                    self.assert_succeeded(result)
                    samples = self.reference("audio", "s.avs")
                    self.assertEqual(len(samples), 66150 * channels * size)
                    self.assertEqual(result.out, wav_header(44100, channels, size, float_samples,
                                                            len(samples)) + samples)


if __name__ == "__main__":
    unittest.main()
