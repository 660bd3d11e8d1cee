file(REMOVE_RECURSE
  "CMakeFiles/dorn32.dir/DornApp.cpp.obj"
  "CMakeFiles/dorn32.dir/DornApp.cpp.obj.d"
  "CMakeFiles/dorn32.dir/DornControls.cpp.obj"
  "CMakeFiles/dorn32.dir/DornControls.cpp.obj.d"
  "CMakeFiles/dorn32.dir/DornCriticalSection.cpp.obj"
  "CMakeFiles/dorn32.dir/DornCriticalSection.cpp.obj.d"
  "CMakeFiles/dorn32.dir/DornDialog.cpp.obj"
  "CMakeFiles/dorn32.dir/DornDialog.cpp.obj.d"
  "CMakeFiles/dorn32.dir/DornTrayIcon.cpp.obj"
  "CMakeFiles/dorn32.dir/DornTrayIcon.cpp.obj.d"
  "CMakeFiles/dorn32.dir/DornWnd.cpp.obj"
  "CMakeFiles/dorn32.dir/DornWnd.cpp.obj.d"
  "CMakeFiles/dorn32.dir/LabelControl.cpp.obj"
  "CMakeFiles/dorn32.dir/LabelControl.cpp.obj.d"
  "CMakeFiles/dorn32.dir/SplitterControl.cpp.obj"
  "CMakeFiles/dorn32.dir/SplitterControl.cpp.obj.d"
  "CMakeFiles/dorn32.dir/WinMain.cpp.obj"
  "CMakeFiles/dorn32.dir/WinMain.cpp.obj.d"
  "libdorn32.a"
  "libdorn32.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/dorn32.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
