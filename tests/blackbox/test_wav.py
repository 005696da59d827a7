"""The WAV stream: header fields, sample bytes, chunking, and the failures 6 to 10."""

import struct
import unittest

from harness import calls, runner_case, sample_bytes, text


def wav_header(data_size, tag, channels, rate, block_align, bits):
    return (b"RIFF" + struct.pack("<I", (data_size + 36) & 0xFFFFFFFF) + b"WAVEfmt "
            + struct.pack("<IHHIIHH", 16, tag, channels & 0xFFFF, rate,
                          (rate * block_align) & 0xFFFFFFFF, block_align & 0xFFFF, bits)
            + b"data" + struct.pack("<I", data_size & 0xFFFFFFFF))


class wav_stream(runner_case):
    def wav(self, *lines, code=0):
        result = self.run_runner("--wav", self.clip("video 64 48 25 1 5", *lines))
        self.assertEqual(result.code, code, result.err)
        return result

    def test_the_first_header_written_out_by_hand(self):
        result = self.wav("audio 48000 2 2 3")
        self.assertEqual(result.out[:44], bytes.fromhex(
            "52494646" "30000000" "57415645" "666d7420" "10000000" "0100" "0200"
            "80bb0000" "00ee0200" "0400" "1000" "64617461" "0c000000"))

    def test_headers_and_samples_per_sample_type(self):
        # sample type, channels, format tag, bytes per sample
        cases = [(2, 2, 1, 2), (4, 1, 1, 3), (4, 6, 1, 3), (8, 2, 1, 4), (16, 2, 3, 4),
                 (16, 1, 3, 4), (2, 8, 1, 2)]
        for sample_type, channels, tag, size in cases:
            with self.subTest(sample_type=sample_type, channels=channels):
                result = self.wav(f"audio 44100 {sample_type} {channels} 1000")
                block = channels * size
                self.assertEqual(result.out, wav_header(1000 * block, tag, channels, 44100, block,
                                                        8 * size) + sample_bytes(0, 1000 * block))
                self.assertEqual(result.err, b"")

    def test_no_byte_of_the_stream_is_translated(self):
        result = self.wav("audio 48000 2 2 200")
        data = result.out[44:]
        self.assertEqual(data, sample_bytes(0, 800))
        for byte in (b"\x0a", b"\x1a", b"\x0d", b"\x00", b"\xff"):
            self.assertIn(byte, data)

    def test_chunk_requests(self):
        cases = [
            (0, []),
            (1, ["get_audio 0 1"]),
            (65536, ["get_audio 0 65536"]),
            (65537, ["get_audio 0 65536", "get_audio 65536 1"]),
            (3 * 65536, ["get_audio 0 65536", "get_audio 65536 65536", "get_audio 131072 65536"]),
        ]
        for count, requests in cases:
            with self.subTest(count=count):
                result = self.wav(f"audio 48000 2 2 {count}")
                self.assertEqual(calls(result.trace, "get_audio"), requests)
                self.assertEqual(result.out, wav_header(4 * count, 1, 2, 48000, 4, 16)
                                 + sample_bytes(0, 4 * count))

    def test_the_largest_stream_that_fits(self):
        # 24-bit mono: 1431655753 samples are 4294967259 bytes, so the RIFF size is 2^32 - 1.
        result = self.wav("audio 48000 4 1 1431655753", "audio_fail 0 text stop here", code=9)
        self.assertEqual(result.out, wav_header(4294967259, 1, 1, 48000, 3, 24))
        self.assertEqual(result.out[4:8], b"\xff\xff\xff\xff")
        self.assertEqual(result.err, text("failed to get audio at sample 0: stop here\n"))

    def test_streams_beyond_the_riff_limit_are_refused_before_any_byte(self):
        for lines in (["audio 48000 4 1 1431655754"],             # one sample more
                      ["audio 48000 16 8 4611686018427387904"],    # beyond 64 bits
                      ["audio 48000 2 2 9223372036854775807"]):
            with self.subTest(lines=lines):
                result = self.wav(*lines, code=8)
                self.assertEqual(result.out, b"")
                self.assertEqual(result.err, text("WAV output would exceed RIFF size limit\n"))
                self.assertEqual(calls(result.trace, "get_audio"), [])

    def test_sample_types_that_are_refused(self):
        for sample_type in (1, 3, 5, 32, 64, -1, -2147483648):
            with self.subTest(sample_type=sample_type):
                result = self.wav(f"audio 48000 {sample_type} 2 10", code=7)
                self.assertEqual(result.out, b"")
                self.assertEqual(result.err, text(
                    f"unsupported Avisynth audio sample type for WAV output: {sample_type}\n"))

    def test_no_audio(self):
        result = self.wav("audio 0 2 2 100", code=6)
        self.assertEqual(result.out, b"")
        self.assertEqual(result.err, text("script has no audio\n"))

    def test_a_failing_third_chunk(self):
        for fail, suffix in (("audio_fail 131072 text decoder died", ": decoder died"),
                             ("audio_fail 140000 text", ": "),
                             ("audio_fail 131072", "")):
            with self.subTest(fail=fail):
                result = self.wav("audio 48000 2 2 200000", fail, code=9)
                self.assertEqual(result.out, wav_header(800000, 1, 2, 48000, 4, 16)
                                 + sample_bytes(0, 4 * 131072))
                self.assertEqual(result.err, text(f"failed to get audio at sample 131072{suffix}\n"))
                self.assertEqual(calls(result.trace, "get_audio")[-1], "get_audio 131072 65536")

    def test_a_buffer_that_cannot_be_allocated(self):
        # Block align 2^31 - 2 bytes: one sample fits the RIFF limit, 65536 of them are
        # more than a 64-bit process can address.
        result = self.wav("audio 48000 2 1073741823 1", code=10)
        self.assertEqual(result.out, wav_header(2147483646, 1, 1073741823, 48000, 2147483646, 16))
        self.assertEqual(result.err, text("failed to allocate audio buffer\n"))
        self.assertEqual(calls(result.trace, "get_audio"), [])

    def test_no_frame_and_no_progress(self):
        result = self.wav("audio 48000 2 2 10", "fetch_fail 0")
        self.assertEqual(calls(result.trace, "get_frame"), [])
        self.assertEqual(result.err, b"")


if __name__ == "__main__":
    unittest.main()
