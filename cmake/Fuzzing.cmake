# libFuzzer build, selected with -DVELMORA_FUZZ=ON (clang only): every library
# is instrumented for coverage, AddressSanitizer and UBSan; the fuzz targets
# under tests/fuzz link libFuzzer's main.
option(VELMORA_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(VELMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VELMORA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
