# Empty compiler generated dependencies file for bench_inproc.
# This may be replaced when dependencies are built.
