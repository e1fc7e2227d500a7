# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-thread variant, whose
# libstdc++ has std::thread and std::mutex). Programs are linked statically, so they need only
# the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVARA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVARA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVARA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVARA_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KELVARA_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KELVARA_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# GCC's interprocedural register allocation lets a caller keep values in registers that the
# callee's own copy happens to leave alone. A template function is compiled into many objects
# and the linker keeps any one copy: Qt's random generator, built against its own copy of
# std::mt19937's refill, got a test's copy that uses another register, and wrote through a
# garbage pointer. Without it every call keeps to the calling convention.
set(CMAKE_C_FLAGS_INIT "-fno-ipa-ra")
set(CMAKE_CXX_FLAGS_INIT "-fno-ipa-ra")

# Libraries and headers come from the MinGW sysroot and the prefixes given in
# CMAKE_PREFIX_PATH/CMAKE_FIND_ROOT_PATH (the cross-built Qt); programs from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KELVARA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE FILEPATH "")
