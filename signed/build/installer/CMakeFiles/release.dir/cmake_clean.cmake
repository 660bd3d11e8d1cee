file(REMOVE_RECURSE
  "CMakeFiles/release"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/release.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
