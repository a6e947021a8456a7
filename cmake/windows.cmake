# Windows build: the program and its tests, run under Wine.
enable_language(RC)
include(GoogleTest)

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${CMAKE_BINARY_DIR}/wineprefix)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KESTRUM_MANIFEST_ARCH X86)
  set(KESTRUM_ENTRY _KestrumEntry@0)
else()
  set(KESTRUM_MANIFEST_ARCH amd64)
  set(KESTRUM_ENTRY KestrumEntry)
endif()

set(KESTRUM_WINDOWS_OPTIONS
    -Wall -Wextra -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections
    -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601)

# Everything but the process entry, so the tests drive the same code.
add_library(kestrum_units STATIC
    src/digest/digest_jobs.cpp
    src/digest/long_path.cpp
    src/ui/main_dialog.cpp
    src/ui/match_colouring.cpp
    src/ui/window_services.cpp
    src/app/app.cpp)
target_include_directories(kestrum_units PUBLIC src res)
target_compile_options(kestrum_units PRIVATE ${KESTRUM_WINDOWS_OPTIONS})
target_link_libraries(kestrum_units PUBLIC kestrum_md5 comctl32 comdlg32 shell32 gdi32 user32 kernel32)

# Resources: the icon is drawn by a script, the manifest names the architecture.
set(KESTRUM_RES_DIR ${CMAKE_BINARY_DIR}/res)
add_custom_command(
  OUTPUT ${KESTRUM_RES_DIR}/kestrum.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRUM_RES_DIR}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/make-icon.py ${KESTRUM_RES_DIR}/kestrum.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-icon.py)
configure_file(res/kestrum.manifest.in ${KESTRUM_RES_DIR}/kestrum.manifest @ONLY)
add_library(kestrum_resources OBJECT res/kestrum.rc)
target_include_directories(kestrum_resources PRIVATE ${KESTRUM_RES_DIR} ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(res/kestrum.rc PROPERTIES OBJECT_DEPENDS
    "${KESTRUM_RES_DIR}/kestrum.ico;${KESTRUM_RES_DIR}/kestrum.manifest")

# The program: no C runtime, its own entry, only the platform's DLLs.
add_executable(Kestrum WIN32 src/app/entry.cpp src/app/runtime.cpp $<TARGET_OBJECTS:kestrum_resources>)
target_compile_options(Kestrum PRIVATE ${KESTRUM_WINDOWS_OPTIONS} -fno-tree-loop-distribute-patterns)
target_link_libraries(Kestrum PRIVATE kestrum_units gcc)
target_link_options(Kestrum PRIVATE
    -nostdlib -nostartfiles -s -Wl,--gc-sections
    -Wl,-e,${KESTRUM_ENTRY} -Wl,--subsystem,windows
    "SHELL:-Xlinker --stack -Xlinker 0x40000,0x2000")
set_target_properties(Kestrum PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The program file's make-up: headers, imports, dialog, icon, version, manifest.
add_test(NAME release_layout
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/release/check_release.py
                 $<TARGET_FILE:Kestrum> --arch ${KESTRUM_MANIFEST_ARCH})

# The window as the X display shows it, driven by real key presses.
add_test(NAME x11_window
         COMMAND ${CMAKE_SOURCE_DIR}/tests/x11/window_test.sh $<TARGET_FILE:Kestrum>
                 ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(x11_window PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300)
