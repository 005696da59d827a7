# qel_avs_runner --check-source 20251210 source_id.avs
#
# Every frame carries the identity of the source it comes from, so that a driving program
# can make sure, before a long encode, that a job renders the source it expects. The
# runner reads "qel_source_id" of frame 0 and compares it with the number it was given:
# exit 0 and "source_id=20251210" on a match, 15 on another identity, 14 without one.
# propSet takes the value itself (propSetInt would want a function).

BlankClip(length=240, width=640, height=360, fps=24, pixel_type="YV12")
propSet("qel_source_id", 20251210)
