
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/dorn32/fenlow/CDlgAcerca.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CDlgAcerca.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CDlgAcerca.cpp.obj.d"
  "/work/main/dorn32/fenlow/CDlgNotify.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CDlgNotify.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CDlgNotify.cpp.obj.d"
  "/work/main/dorn32/fenlow/CDlgOpciones.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CDlgOpciones.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CDlgOpciones.cpp.obj.d"
  "/work/main/dorn32/fenlow/CFenlowApp.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CFenlowApp.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CFenlowApp.cpp.obj.d"
  "/work/main/dorn32/fenlow/CRegistry.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CRegistry.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CRegistry.cpp.obj.d"
  "/work/main/dorn32/fenlow/CSettings.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CSettings.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/CSettings.cpp.obj.d"
  "/work/main/dorn32/fenlow/FenlowMain.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/FenlowMain.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/FenlowMain.cpp.obj.d"
  "/work/main/dorn32/fenlow/ProductInfo.cpp" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/ProductInfo.cpp.obj" "gcc" "dorn32/fenlow/CMakeFiles/fenlow_core.dir/ProductInfo.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
