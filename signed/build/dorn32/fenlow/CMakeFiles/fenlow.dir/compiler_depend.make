# Empty compiler generated dependencies file for fenlow.
# This may be replaced when dependencies are built.
