# Empty custom commands generated dependencies file for fenlow_source_date.
# This may be replaced when dependencies are built.
