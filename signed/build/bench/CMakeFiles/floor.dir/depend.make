# Empty dependencies file for floor.
# This may be replaced when dependencies are built.
