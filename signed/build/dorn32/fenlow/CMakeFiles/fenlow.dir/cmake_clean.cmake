file(REMOVE_RECURSE
  "../../bin/fenlow.exe"
  "../../bin/fenlow.pdb"
  "CMakeFiles/fenlow.dir/resources/fenlow.rc.res"
  "libfenlow.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/fenlow.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
