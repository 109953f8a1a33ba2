# Cross-compiling for 64-bit ARM Linux with Debian's cross compiler (crossbuild-essential-arm64)
# and the arm64 development packages of Debian's multiarch (libsdl2-dev:arm64 and the rest, which
# scripts/setup-deps arm64 installs). scripts/build-arm64 passes this file:
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
#
# The programs it builds run here under qemu's user-mode emulator, which CTest and the build's own
# steps call through CMAKE_CROSSCOMPILING_EMULATOR. They run with multiarch's arm64 C library and
# its loader (libc6:arm64), with / as qemu's root: the cross compiler's tree holds an older C
# library whose loader, paired with the multiarch C library, hangs at the first thread
# (tests/arm64/qemu.sh says how).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QRB_TRIPLET aarch64-linux-gnu)

find_program(CMAKE_C_COMPILER NAMES ${QRB_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QRB_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_AR NAMES ${QRB_TRIPLET}-gcc-ar ${QRB_TRIPLET}-ar)
find_program(CMAKE_RANLIB NAMES ${QRB_TRIPLET}-gcc-ranlib ${QRB_TRIPLET}-ranlib)

find_program(QRB_QEMU_AARCH64 qemu-aarch64)
if(QRB_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QRB_QEMU_AARCH64} -L /)
endif()

# Headers and libraries from the multiarch folders (/usr/include/aarch64-linux-gnu,
# /usr/lib/aarch64-linux-gnu) and the cross compiler's tree, never the build machine's own;
# programs (pkg-config) from the build machine.
set(CMAKE_LIBRARY_ARCHITECTURE ${QRB_TRIPLET})
set(CMAKE_FIND_ROOT_PATH /usr/${QRB_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# pkg-config reads the arm64 .pc files alone.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${QRB_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The Debian packages (cpack, which scripts/build-arm64 runs) are arm64's, not the build machine's.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
# Installing (and so packaging) builds only what is installed, which scripts/build-arm64 builds:
# not every tool and test of the tree, cross-compiled for nothing.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
