file(REMOVE_RECURSE
  "../bin/fenlow_nofont.exe"
  "../bin/fenlow_nofont.pdb"
  "CMakeFiles/fenlow_nofont.dir/__/dorn32/fenlow/resources/fenlow.rc.res"
  "libfenlow_nofont.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/fenlow_nofont.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
