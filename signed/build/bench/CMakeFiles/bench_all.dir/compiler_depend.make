# Empty custom commands generated dependencies file for bench_all.
# This may be replaced when dependencies are built.
