# Empty custom commands generated dependencies file for release.
# This may be replaced when dependencies are built.
