file(REMOVE_RECURSE
  "CMakeFiles/fenlow_core.dir/CDlgAcerca.cpp.obj"
  "CMakeFiles/fenlow_core.dir/CDlgAcerca.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/CDlgNotify.cpp.obj"
  "CMakeFiles/fenlow_core.dir/CDlgNotify.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/CDlgOpciones.cpp.obj"
  "CMakeFiles/fenlow_core.dir/CDlgOpciones.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/CFenlowApp.cpp.obj"
  "CMakeFiles/fenlow_core.dir/CFenlowApp.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/CRegistry.cpp.obj"
  "CMakeFiles/fenlow_core.dir/CRegistry.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/CSettings.cpp.obj"
  "CMakeFiles/fenlow_core.dir/CSettings.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/FenlowMain.cpp.obj"
  "CMakeFiles/fenlow_core.dir/FenlowMain.cpp.obj.d"
  "CMakeFiles/fenlow_core.dir/ProductInfo.cpp.obj"
  "CMakeFiles/fenlow_core.dir/ProductInfo.cpp.obj.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/fenlow_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
