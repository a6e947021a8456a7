# Host build: the MD5 core under its native tests, optionally under
# AddressSanitizer and UndefinedBehaviorSanitizer, and its fuzzer.
option(KESTRUM_SANITIZE "Build with ASan and UBSan" OFF)
option(KESTRUM_FUZZ "Build the libFuzzer target (clang)" OFF)

if(KESTRUM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)
find_package(OpenSSL REQUIRED)
