
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/dorn32/DornApp.cpp" "dorn32/CMakeFiles/dorn32.dir/DornApp.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/DornApp.cpp.obj.d"
  "/work/main/dorn32/DornControls.cpp" "dorn32/CMakeFiles/dorn32.dir/DornControls.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/DornControls.cpp.obj.d"
  "/work/main/dorn32/DornCriticalSection.cpp" "dorn32/CMakeFiles/dorn32.dir/DornCriticalSection.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/DornCriticalSection.cpp.obj.d"
  "/work/main/dorn32/DornDialog.cpp" "dorn32/CMakeFiles/dorn32.dir/DornDialog.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/DornDialog.cpp.obj.d"
  "/work/main/dorn32/DornTrayIcon.cpp" "dorn32/CMakeFiles/dorn32.dir/DornTrayIcon.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/DornTrayIcon.cpp.obj.d"
  "/work/main/dorn32/DornWnd.cpp" "dorn32/CMakeFiles/dorn32.dir/DornWnd.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/DornWnd.cpp.obj.d"
  "/work/main/dorn32/LabelControl.cpp" "dorn32/CMakeFiles/dorn32.dir/LabelControl.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/LabelControl.cpp.obj.d"
  "/work/main/dorn32/SplitterControl.cpp" "dorn32/CMakeFiles/dorn32.dir/SplitterControl.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/SplitterControl.cpp.obj.d"
  "/work/main/dorn32/WinMain.cpp" "dorn32/CMakeFiles/dorn32.dir/WinMain.cpp.obj" "gcc" "dorn32/CMakeFiles/dorn32.dir/WinMain.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
