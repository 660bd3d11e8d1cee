# cmake -DFILES="a|b" -DOUT=SHA256SUMS -P Checksums.cmake
# Prints each file's SHA-256 and size and writes them in sha256sum's format.
string(REPLACE "|" ";" FILES "${FILES}")
set(sums "")
foreach(f IN LISTS FILES)
    file(SHA256 "${f}" hash)
    file(SIZE "${f}" size)
    get_filename_component(name "${f}" NAME)
    message("SHA-256 ${hash}  ${name}  (${size} bytes)")
    string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUT}" "${sums}")
