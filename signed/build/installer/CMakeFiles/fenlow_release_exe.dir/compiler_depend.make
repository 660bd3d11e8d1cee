# Empty custom commands generated dependencies file for fenlow_release_exe.
# This may be replaced when dependencies are built.
