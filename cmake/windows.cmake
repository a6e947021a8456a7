# Windows build: the program and its tests, run under Wine.
enable_language(RC)

# The Windows programs run under Wine, in one prefix for both builds (as
# scripts/wine-run and scripts/run take it), so it is made once.
set(KESTRUM_WINE_PREFIX ${CMAKE_SOURCE_DIR}/build/wineprefix CACHE PATH "The Wine prefix the tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${KESTRUM_WINE_PREFIX})

# The 32-bit program has no exception handler at all (no C runtime, no C++
# exceptions): it says so, and Windows then calls none that a stack overwrite
# might plant; and nothing in it reads unwind tables, so it carries none.
# 64-bit code finds its handlers in tables, which need no flag, and keeps its
# unwind tables: Windows walks its stacks through them.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KESTRUM_MANIFEST_ARCH X86)
  set(KESTRUM_ENTRY _KestrumEntry@0)
  set(KESTRUM_NO_SEH -Wl,--no-seh)
  set(KESTRUM_NO_UNWIND_TABLES -fno-asynchronous-unwind-tables)
else()
  set(KESTRUM_MANIFEST_ARCH amd64)
  set(KESTRUM_ENTRY KestrumEntry)
endif()

# Made into the build's res folder: product.h (version and home page from
# project()), the manifest naming the architecture, the icon drawn by a script.
set(KESTRUM_RES_DIR ${CMAKE_BINARY_DIR}/res)
configure_file(res/product.h.in ${KESTRUM_RES_DIR}/product.h @ONLY)
configure_file(res/kestrum.manifest.in ${KESTRUM_RES_DIR}/kestrum.manifest @ONLY)
add_custom_command(
  OUTPUT ${KESTRUM_RES_DIR}/kestrum.ico
  COMMAND python3 ${CMAKE_SOURCE_DIR}/res/make-icon.py ${KESTRUM_RES_DIR}/kestrum.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/res/make-icon.py)

# The program's own code: no exceptions or RTTI, a section per function and
# datum so that the linker drops what is unused, and built for size: its speed
# is the MD5 core's, which is built for speed.
set(KESTRUM_PROGRAM_OPTIONS
    -Wall -Wextra -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections -Os
    ${KESTRUM_NO_UNWIND_TABLES})
target_compile_options(kestrum_md5 PRIVATE ${KESTRUM_NO_UNWIND_TABLES})

# Everything but the process entry, so the tests drive the same code; what
# links it compiles for the wide-character API of Windows 7 and later.
add_library(kestrum_units STATIC
    src/digest/digest_jobs.cpp
    src/digest/named_file.cpp
    src/ui/main_dialog.cpp
    src/ui/match_colouring.cpp
    src/ui/window_services.cpp
    src/app/app.cpp)
target_include_directories(kestrum_units PUBLIC src res ${KESTRUM_RES_DIR})
target_compile_definitions(kestrum_units PUBLIC UNICODE _UNICODE _WIN32_WINNT=0x0601)
target_compile_options(kestrum_units PRIVATE ${KESTRUM_PROGRAM_OPTIONS})
target_link_libraries(kestrum_units PUBLIC kestrum_md5 comctl32 comdlg32 shell32 ole32 oleaut32 uuid
    advapi32 gdi32 user32 kernel32)

# The resources. windres writes no dependency file, so what it reads is named.
add_library(kestrum_resources OBJECT res/kestrum.rc)
target_include_directories(kestrum_resources PRIVATE ${KESTRUM_RES_DIR} ${CMAKE_SOURCE_DIR}/res)
set_property(SOURCE res/kestrum.rc PROPERTY OBJECT_DEPENDS
    ${KESTRUM_RES_DIR}/kestrum.ico ${KESTRUM_RES_DIR}/kestrum.manifest
    ${KESTRUM_RES_DIR}/product.h ${CMAKE_SOURCE_DIR}/res/resource.h)

# The program: no C runtime, its own entry, only the platform's DLLs; the
# memory routines' loops must not become calls to themselves. No link time in
# the header, so that a rebuild from the same source gives the same file.
add_executable(Kestrum WIN32 src/app/entry.cpp src/app/runtime.cpp $<TARGET_OBJECTS:kestrum_resources>)
target_compile_options(Kestrum PRIVATE ${KESTRUM_PROGRAM_OPTIONS})
set_source_files_properties(src/app/runtime.cpp PROPERTIES
    COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)
target_link_libraries(Kestrum PRIVATE kestrum_units gcc)
target_link_options(Kestrum PRIVATE
    -nostdlib -nostartfiles -s -Wl,--gc-sections -Wl,--no-insert-timestamp
    -Wl,-e,${KESTRUM_ENTRY} -Wl,--subsystem,windows:6.1 -Wl,--tsaware ${KESTRUM_NO_SEH}
    "SHELL:-Xlinker --stack -Xlinker 0x40000,0x2000")
set_target_properties(Kestrum PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The 32-bit build is the release: the `package` target makes what is published,
# a zip of the program and the README named with the version, and its SHA-256.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  install(TARGETS Kestrum DESTINATION .)
  install(FILES README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Kestrum-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_CHECKSUM SHA256)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/package-time.cmake)
  include(CPack)
endif()

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
