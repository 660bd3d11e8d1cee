# cmake -DIN=file -DOUT=file -P WindowsText.cmake
# Copies a UTF-8 text file with a byte order mark and CRLF line ends: NSIS's licence page reads a
# file without the mark in the ANSI code page, and older Notepads want CRLF.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 bom)
file(WRITE "${OUT}" "${bom}${text}")
