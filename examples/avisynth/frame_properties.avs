# qel_avs_runner --validate-real frame_properties.avs frames.csv
#
# The properties that the validation CSV reports, one column each: where every output
# frame came from, how much the clip was sped up, and the colour description an encoder
# needs. "qel_source_frame" is set per frame inside ScriptClip before SelectEven, so each
# output frame keeps the number of the source frame it shows (0, 2, 4, ...). BlankClip
# already sets _Matrix (6) and _ColorRange (1) of its own; the lines below replace them.

BlankClip(length=480, width=1280, height=720, fps=48, pixel_type="YV12")
propSet("qel_source_id", 7)
ScriptClip("""propSet("qel_source_frame", current_frame)""")
SelectEven()                     # 24 fps
AssumeFPS(25, 1)                 # played 25/24 as fast, as for PAL
propSet("qel_absolute_timestretch", 25.0 / 24.0)
propSet("_Matrix", 1)            # BT.709
propSet("_Primaries", 1)         # BT.709
propSet("_Transfer", 1)          # BT.709
propSet("_ColorRange", 1)        # limited range
