# Empty compiler generated dependencies file for dorn32.
# This may be replaced when dependencies are built.
