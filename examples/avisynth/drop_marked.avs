# qel_avs_runner --y4m-skip-drop 24000 1001 drop_marked.avs | x264 --demuxer y4m -o drop_marked.264 -
#
# A 29.97 fps clip telecined from film repeats one frame in five: here SelectEvery makes
# 300 such frames out of 240 film frames, each numbered in the picture. Marking the
# repeats with a non-zero "qel_drop_frame" lets --y4m-skip-drop leave them out, so the
# stream holds the 240 film frames once each, and its header announces the film rate
# given on the command line (24000:1001). Frames without the property, or with 0, are
# written. Inside ScriptClip, current_frame is the number of the frame being made.

BlankClip(length=240, width=640, height=360, fps=24000, fps_denominator=1001, pixel_type="YV12")
ShowFrameNumber()
SelectEvery(4, 0, 1, 2, 3, 3)    # 30000/1001 fps, frame 4 of every 5 a repeat
ScriptClip("""propSet("qel_drop_frame", current_frame % 5 == 4 ? 1 : 0)""")
