# Empty custom commands generated dependencies file for fenlow_manifests.
# This may be replaced when dependencies are built.
