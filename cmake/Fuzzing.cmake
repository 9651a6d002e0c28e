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

# velmora_add_fuzz_target(<name> SOURCES <files...> LIBS <targets...> [SECONDS <s>])
# With VELMORA_FUZZ the target is a libFuzzer executable. Otherwise (gcc) it links
# the random-mutation driver of tests/fuzz and runs as a CTest test: briefly in the
# plain build, for SECONDS (default 45) in the sanitizer builds. VELMORA_FUZZ_SECONDS
# in the environment overrides the time when run by hand.
function(velmora_add_fuzz_target name)
  cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS" ${ARGN})
  if(VELMORA_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    return()
  endif()
  add_executable(${name} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/TMutationDriver.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(NOT F_SECONDS)
    set(F_SECONDS 45)
  endif()
  if(VELMORA_SANITIZE STREQUAL "")
    set(F_SECONDS 3)
  endif()
  math(EXPR timeout "${F_SECONDS} * 3 + 60")
  add_test(NAME ${name} COMMAND ${name} --seconds ${F_SECONDS})
  # Full allocation stacks, so that a leak inside a system library is told by
  # the function of it that was called (see tests/lsan.supp).
  set(environment ${VELMORA_TEST_ENVIRONMENT})
  list(TRANSFORM environment REPLACE "^ASAN_OPTIONS=(.*)$" "ASAN_OPTIONS=\\1:fast_unwind_on_malloc=0")
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${environment}"
    TIMEOUT ${timeout}
    LABELS fuzz
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()
