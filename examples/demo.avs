# Not AviSynth: a clip description for the stand-in engine of the tests.
# 320x240 4:2:0 8-bit at 25 fps, 50 frames, 2 seconds of 16-bit stereo at 48 kHz.
video 320 240 25 1 50
format 420 8
audio 48000 2 2 96000
prop * qel_source_id int 42
prop * _Matrix int 1
prop * _ColorRange int 0
prop * qel_absolute_timestretch float 1.0
prop 10 qel_drop_frame int 1
