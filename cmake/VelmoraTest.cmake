# velmora_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>] [LABELS <labels...>]
#                  [FONT_RUNS <configurations...>])
# Builds one Qt Test executable into bin/ and registers it with CTest under the
# offscreen platform, with the sanitizer options of the current build. Each
# FONT_RUNS configuration registers the test once more as <name>.<configuration>,
# under a font configuration that sees only these fonts:
#   bare-fonts    DejaVu (on every new Debian 12) and what scripts/install-deps installs
#   dejavu-only   DejaVu alone: the report typeface missing, its substitute printing
# The test is told which through VELMORA_TEST_FONTS.
set(VELMORA_FONT_DIRS_dejavu-only /usr/share/fonts/truetype/dejavu)
# fonts-liberation2, the report typeface (scripts/install-deps).
set(VELMORA_FONT_DIRS_bare-fonts ${VELMORA_FONT_DIRS_dejavu-only} /usr/share/fonts/truetype/liberation2)
foreach(configuration bare-fonts dejavu-only)
  set(VELMORA_FONTCONFIG_DIRS "")
  foreach(dir ${VELMORA_FONT_DIRS_${configuration}})
    string(APPEND VELMORA_FONTCONFIG_DIRS "  <dir>${dir}</dir>\n")
  endforeach()
  set(VELMORA_FONTCONFIG_CACHE ${CMAKE_BINARY_DIR}/fontconfig/cache-${configuration})
  configure_file(${CMAKE_SOURCE_DIR}/tests/fontconfig/fonts.conf.in
                 ${CMAKE_BINARY_DIR}/fontconfig/${configuration}.conf @ONLY)
endforeach()

set(VELMORA_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen"
  # The tests read the English source texts, whatever the machine's locale.
  "LC_ALL=C.UTF-8"
  "LANG=C.UTF-8"
  "LANGUAGE="
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
  # Qt is not built with the sanitizer: its own interceptor calls are not checked
  # (its locking is invisible to TSan), the program's code is.
  "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp"
  "VELMORA_SHARED_DIR=${CMAKE_SOURCE_DIR}/../shared")

function(velmora_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;FONT_RUNS" ${ARGN})
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
  foreach(configuration ${T_FONT_RUNS})
    if(NOT DEFINED VELMORA_FONT_DIRS_${configuration})
      message(FATAL_ERROR "${name}: no font configuration '${configuration}'")
    endif()
    add_test(NAME ${name}.${configuration} COMMAND ${name})
    set_tests_properties(${name}.${configuration} PROPERTIES
      ENVIRONMENT "${VELMORA_TEST_ENVIRONMENT};FONTCONFIG_FILE=${CMAKE_BINARY_DIR}/fontconfig/${configuration}.conf;VELMORA_TEST_FONTS=${configuration}"
      TIMEOUT ${T_TIMEOUT}
      LABELS "fonts;${T_LABELS}"
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endforeach()
endfunction()
