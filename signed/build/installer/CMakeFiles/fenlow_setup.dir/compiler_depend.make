# Empty custom commands generated dependencies file for fenlow_setup.
# This may be replaced when dependencies are built.
