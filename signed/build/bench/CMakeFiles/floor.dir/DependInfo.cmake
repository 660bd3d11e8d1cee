
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  "RC"
  )
# The set of files for implicit dependencies of each language:
set(CMAKE_DEPENDS_CHECK_RC
  "/work/main/bench/floor.rc" "/work/main/signed/build/bench/CMakeFiles/floor.dir/floor.rc.res"
  )

# Preprocessor definitions for this target.
set(CMAKE_TARGET_DEFINITIONS_RC
  "NOMINMAX"
  "NTDDI_VERSION=0x06010000"
  "STRICT"
  "WINVER=0x0601"
  "_WIN32_IE=0x0800"
  "_WIN32_WINNT=0x0601"
  )

# The include file search paths:
set(CMAKE_RC_TARGET_INCLUDE_PATH
  "generated"
  "/work/main/dorn32/fenlow/resources"
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/bench/floor.cpp" "bench/CMakeFiles/floor.dir/floor.cpp.obj" "gcc" "bench/CMakeFiles/floor.dir/floor.cpp.obj.d"
  "/work/main/bench/floor_hook.cpp" "bench/CMakeFiles/floor.dir/floor_hook.cpp.obj" "gcc" "bench/CMakeFiles/floor.dir/floor_hook.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
