file(REMOVE_RECURSE
  "../bin/duty_floor.exe"
  "../bin/duty_floor.pdb"
  "CMakeFiles/duty_floor.dir/duty_floor.cpp.obj"
  "CMakeFiles/duty_floor.dir/duty_floor.cpp.obj.d"
  "CMakeFiles/duty_floor.dir/duty_floor.rc.res"
  "CMakeFiles/duty_floor.dir/duty_floor_work.cpp.obj"
  "CMakeFiles/duty_floor.dir/duty_floor_work.cpp.obj.d"
  "libduty_floor.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/duty_floor.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
