# Debian's mingw-w64 cross compilers, in the flavour whose C++ library has
# std::mutex (GoogleTest needs it); tests link it statically. The C compiler
# is GoogleTest's: its project() enables C, which Kestrum's own code never uses.
set(CMAKE_C_COMPILER ${KESTRUM_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRUM_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRUM_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRUM_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
