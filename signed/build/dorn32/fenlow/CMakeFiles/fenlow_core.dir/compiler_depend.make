# Empty compiler generated dependencies file for fenlow_core.
# This may be replaced when dependencies are built.
