# qel_avs_runner --y4m-skip-drop 24000 1001 drop_marked.avs | x264 --demuxer y4m -o drop_marked.264 -
#
# A 29.97 fps clip telecined from film repeats one frame in five. Marking those frames
# with a non-zero "qel_drop_frame" lets --y4m-skip-drop leave them out of the stream,
# whose header then announces the film rate given on the command line (24000:1001).
# Frames without the property, or with 0, are written.

BlankClip(length=300, width=640, height=360, fps=30000, fps_denominator=1001, pixel_type="YV12")
ScriptClip("""propSetInt("qel_drop_frame", current_frame % 5 == 4 ? 1 : 0)""")
