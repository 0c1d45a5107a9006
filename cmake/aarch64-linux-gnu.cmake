# The TrimUI consoles: AArch64 Linux. Debian's cross compiler builds against the arm64 packages
# installed beside the host's own (multi-arch), so the host's root is the sysroot and only the
# library architecture differs. Built programs run on this machine through qemu user emulation.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# By full path: tests hand it to child processes whose PATH they set themselves.
find_program(ZENTOMI_QEMU qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTOMI_QEMU})

# pkg-config must read the arm64 .pc files (and the architecture-independent ones), never the
# host's: their paths already name /usr/lib/aarch64-linux-gnu, so no sysroot prefix applies.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
unset(ENV{PKG_CONFIG_PATH})
unset(ENV{PKG_CONFIG_SYSROOT_DIR})
