file(REMOVE_RECURSE
  "../release/fenlow-0.1-Beta-portable.zip"
  "CMakeFiles/fenlow_portable"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/fenlow_portable.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
