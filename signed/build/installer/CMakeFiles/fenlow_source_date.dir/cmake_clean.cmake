file(REMOVE_RECURSE
  "CMakeFiles/fenlow_source_date"
  "source-date-epoch"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/fenlow_source_date.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
