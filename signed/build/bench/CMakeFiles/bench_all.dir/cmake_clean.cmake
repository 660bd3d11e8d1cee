file(REMOVE_RECURSE
  "CMakeFiles/bench_all"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/bench_all.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
