# velmora_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>] [LABELS <labels...>])
# Builds one Qt Test executable into bin/ and registers it with CTest under the
# offscreen platform, with the sanitizer options of the current build.
set(VELMORA_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen"
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
  # Qt is not built with the sanitizer: its own interceptor calls are not checked
  # (its locking is invisible to TSan), the program's code is.
  "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp"
  "VELMORA_SHARED_DIR=${CMAKE_SOURCE_DIR}/../shared")

function(velmora_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${VELMORA_TEST_ENVIRONMENT}"
    TIMEOUT ${T_TIMEOUT}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
