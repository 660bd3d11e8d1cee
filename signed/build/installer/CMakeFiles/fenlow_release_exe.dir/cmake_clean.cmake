file(REMOVE_RECURSE
  "CMakeFiles/fenlow_release_exe"
  "stage/fenlow.exe"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/fenlow_release_exe.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
