file(REMOVE_RECURSE
  "CMakeFiles/fenlow_release_texts"
  "stage/LICENSE.txt"
  "stage/OFL.txt"
  "stage/README.txt"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/fenlow_release_texts.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
