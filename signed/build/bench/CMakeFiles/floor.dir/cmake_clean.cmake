file(REMOVE_RECURSE
  "../bin/floor.exe"
  "../bin/floor.pdb"
  "CMakeFiles/floor.dir/floor.cpp.obj"
  "CMakeFiles/floor.dir/floor.cpp.obj.d"
  "CMakeFiles/floor.dir/floor.rc.res"
  "CMakeFiles/floor.dir/floor_hook.cpp.obj"
  "CMakeFiles/floor.dir/floor_hook.cpp.obj.d"
  "libfloor.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/floor.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
