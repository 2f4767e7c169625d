# Cross build for 64-bit Windows: the program must be correct as a 64-bit build too.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TERRITORY_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
