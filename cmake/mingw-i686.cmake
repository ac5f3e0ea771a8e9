# Cross build for 32-bit Windows with mingw-w64 (i686).
#
# The -posix thread-model compilers are used because GoogleTest does not build
# with the default win32 thread model. Everything the runtime needs (libgcc,
# libstdc++, winpthreads) is linked statically, so the plug-in DLL and the
# test programs depend on nothing but the system's own DLLs.
#
# Test programs run under wine through CMAKE_CROSSCOMPILING_EMULATOR; the
# environment (WINEPREFIX, WINEDEBUG...) comes from scripts/test-windows.sh.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(EXIFVIEW_MINGW_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${EXIFVIEW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EXIFVIEW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${EXIFVIEW_MINGW_PREFIX}-windres)
set(CMAKE_AR           ${EXIFVIEW_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${EXIFVIEW_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP      ${EXIFVIEW_MINGW_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${EXIFVIEW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Floating point in SSE2 registers, as on x86-64: the x87 unit's 80-bit
# intermediates round some results differently (6643856/1000000 is not the
# double nearest to 6.643856 there), and the texts must not depend on the
# platform. Every processor that runs a current 32-bit Windows has SSE2.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(EXIFVIEW_WINE wine)
if(EXIFVIEW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${EXIFVIEW_WINE})
endif()

# zlib from Debian's libz-mingw-w64-dev, linked statically like the runtime.
set(ZLIB_USE_STATIC_LIBS ON)
