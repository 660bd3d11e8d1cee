file(REMOVE_RECURSE
  "../release/manifests/scoop/fenlow.json"
  "../release/manifests/winget/Tavrin.Fenlow.installer.yaml"
  "../release/manifests/winget/Tavrin.Fenlow.locale.es-ES.yaml"
  "../release/manifests/winget/Tavrin.Fenlow.yaml"
  "CMakeFiles/fenlow_manifests"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/fenlow_manifests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
