# Empty dependencies file for duty_floor.
# This may be replaced when dependencies are built.
