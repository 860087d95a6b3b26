# The recorder's own build: 32-bit big-endian PowerPC Linux with Debian's
# cross compiler. Binaries are static and stripped, so one file copied to
# the recorder runs there; on this machine qemu-ppc runs them for the tests.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)
set(CMAKE_C_COMPILER powerpc-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER powerpc-linux-gnu-g++)

# time_t and off_t are 32-bit on this target unless glibc is asked for its
# 64-bit interfaces: event times past 2038, stream-file times up to 2106 and
# files over 2 GiB need them. Every library linked in is built the same way.
set(CMAKE_C_FLAGS_INIT "-D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
# A small db to copy onto the recorder: each function and datum gets a
# section of its own, and the linker drops those nothing reaches.
string(APPEND CMAKE_C_FLAGS_INIT " -ffunction-sections -fdata-sections")
string(APPEND CMAKE_CXX_FLAGS_INIT " -ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s -Wl,--gc-sections")

# Headers and libraries come from the cross compiler's tree and from the
# prefixes named in CMAKE_FIND_ROOT_PATH (the cross-compiled dependencies),
# never from the host; programs come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/powerpc-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks only in CMAKE_PREFIX_PATH, not in the host's own .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "")

find_program(QEMU_PPC qemu-ppc REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PPC})
