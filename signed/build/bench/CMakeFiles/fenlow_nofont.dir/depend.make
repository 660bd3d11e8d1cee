# Empty dependencies file for fenlow_nofont.
# This may be replaced when dependencies are built.
