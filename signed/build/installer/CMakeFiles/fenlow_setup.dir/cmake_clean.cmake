file(REMOVE_RECURSE
  "../release/fenlow-0.1-Beta-setup.exe"
  "CMakeFiles/fenlow_setup"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/fenlow_setup.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
