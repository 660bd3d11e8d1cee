file(REMOVE_RECURSE
  "libdorn32.a"
)
