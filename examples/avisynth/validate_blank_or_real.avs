# qel_avs_runner --validate validate_blank_or_real.avs frames.csv
#
# --validate defines "qel_validation_blank" as true and --validate-real as false before
# the script is imported; the other verbs leave it undefined, hence VarExist. The blank
# branch renders without opening the media, so a job can be checked before its source is
# at hand: the engine evaluates only the branch that ?: chooses, so the source filter
# (FFVideoSource, from the FFMS2 plugin) is called only by --validate-real and the
# encoding verbs.

blank = VarExist("qel_validation_blank") ? qel_validation_blank : false
blank ? BlankClip(length=1440, width=1920, height=1080, fps=24, pixel_type="YV12") : FFVideoSource("movie.mkv")
propSet("qel_source_id", 1)
