# Writes a GBK copy of a UTF-8 source: cmake -DIN=file -DOUT=copy -P to_gbk.cmake
# clang cannot change the execution character set, but it keeps the bytes of a narrow string
# literal as they stand, so a copy whose literals are GBK gives the program's run-time bytes.
# A GBK character whose second byte is a backslash would become an escape or a line splice:
# such a copy is refused (this also refuses a multibyte character followed by a real backslash,
# which none of the copied files has).
get_filename_component(out_dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
execute_process(COMMAND iconv -f UTF-8 -t GBK "${IN}"
  OUTPUT_FILE "${OUT}.tmp" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "iconv could not convert ${IN}: ${err}")
endif()
file(READ "${OUT}.tmp" hex HEX)
string(REGEX REPLACE "(..)" "\\1 " pairs "${hex}")
if(pairs MATCHES "[89a-f][0-9a-f] 5c ")
  file(REMOVE "${OUT}.tmp")
  message(FATAL_ERROR "${IN}: in GBK a multibyte character runs into a backslash")
endif()
file(RENAME "${OUT}.tmp" "${OUT}")
