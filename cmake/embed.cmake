# Turns the binary file IN into a C++ source OUT that defines the bytes as one contiguous array.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "// Generated from the committed form file; do not edit.\n#include <cstddef>\n#include <cstdint>\nnamespace resources {\nextern const std::uint8_t main_window_form_bytes[${size}];\nextern const std::size_t main_window_form_size;\nconst std::uint8_t main_window_form_bytes[${size}] = {\n${bytes}\n};\nconst std::size_t main_window_form_size = ${size};\n}\n")
