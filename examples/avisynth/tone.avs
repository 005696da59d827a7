# qel_avs_runner --wav tone.avs | ffmpeg -f wav -i - -c:a flac tone.flac
#
# --wav writes the clip's audio as it is: 16-, 24- or 32-bit integer or 32-bit float
# samples, all channels interleaved. Ten seconds of a 440 Hz tone, stereo, 48 kHz,
# converted to 16-bit; 8-bit audio would be refused (exit 7).

Tone(length=10.0, frequency=440, samplerate=48000, channels=2, type="Sine", level=0.5)
ConvertAudioTo16bit()
