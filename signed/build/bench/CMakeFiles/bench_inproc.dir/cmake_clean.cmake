file(REMOVE_RECURSE
  "../bin/bench_inproc.exe"
  "../bin/bench_inproc.pdb"
  "CMakeFiles/bench_inproc.dir/duty_floor_work.cpp.obj"
  "CMakeFiles/bench_inproc.dir/duty_floor_work.cpp.obj.d"
  "CMakeFiles/bench_inproc.dir/floor_hook.cpp.obj"
  "CMakeFiles/bench_inproc.dir/floor_hook.cpp.obj.d"
  "CMakeFiles/bench_inproc.dir/inproc.cpp.obj"
  "CMakeFiles/bench_inproc.dir/inproc.cpp.obj.d"
  "CMakeFiles/bench_inproc.dir/inproc.rc.res"
  "libbench_inproc.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/bench_inproc.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
