# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64, the posix
# threads variant: std::thread and std::mutex need it). scripts/build-windows passes this file and
# the prefix of the libraries scripts/windows-deps built:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQRB_WINDOWS_PREFIX=$(scripts/windows-deps --prefix)
#
# The Windows package carries this file in its SDK (sdk/cmake/): there the prefix is the SDK
# itself unless given, so that a game writer's project needs nothing but this file named,
#
#   cmake -S mygame -B mygame/build-windows -DCMAKE_TOOLCHAIN_FILE=PACKAGE/sdk/cmake/mingw-w64-x86_64.cmake
#
# and find_package(Quorbix) finds the SDK from it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QRB_MINGW x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${QRB_MINGW}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QRB_MINGW}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QRB_MINGW}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${QRB_MINGW}-gcc-ar-posix ${QRB_MINGW}-ar)
find_program(CMAKE_RANLIB NAMES ${QRB_MINGW}-gcc-ranlib-posix ${QRB_MINGW}-ranlib)

# The prefix of the Windows libraries; try_compile projects see it too.
set(qrb_prefix "$ENV{QRB_WINDOWS_PREFIX}")
if(qrb_prefix STREQUAL "" AND EXISTS "${CMAKE_CURRENT_LIST_DIR}/../lib/cmake/Quorbix/QuorbixConfig.cmake")
  get_filename_component(qrb_prefix "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()
set(QRB_WINDOWS_PREFIX "${qrb_prefix}" CACHE PATH
  "Where scripts/windows-deps installed the Windows libraries (the SDK's own folder in the package)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QRB_WINDOWS_PREFIX)

# Libraries and headers from MinGW's own tree and the prefix, never the build machine's; programs
# (pkg-config, the tools a build runs) from the build machine.
# The prefix comes first, and a static archive before an import library: MinGW's tree may hold
# DLL builds of the same libraries (Debian's libz-mingw-w64-dev), which would need their DLLs.
set(CMAKE_FIND_ROOT_PATH ${QRB_WINDOWS_PREFIX} /usr/${QRB_MINGW})
set(CMAKE_FIND_LIBRARY_SUFFIXES .a .dll.a .lib)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the prefix's .pc files, and with --static: the libraries are static, so a
# program links what they link too.
if(QRB_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${QRB_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
  set(PKG_CONFIG_ARGN --static)
endif()

# The C and C++ runtimes linked in, so that the programs need no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs a project's Windows test programs under Wine, where it is installed.
find_program(QRB_WINE NAMES wine)
if(QRB_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QRB_WINE})
endif()
