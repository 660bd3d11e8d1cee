# Empty custom commands generated dependencies file for fenlow_portable.
# This may be replaced when dependencies are built.
