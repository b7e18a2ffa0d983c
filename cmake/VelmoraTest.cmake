# velmora_add_test(name SOURCES ... LIBS ...)
# Natively every GoogleTest case becomes its own CTest test. Under Wine one
# process per test program keeps the cost of a fresh Wine prefix to one per
# program; the emulator wrapper gives each run a private prefix.
function(velmora_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main velmora_flags)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}" TIMEOUT 600
      ENVIRONMENT "VELMORA_WINE_TEMPLATE=${CMAKE_BINARY_DIR}/wine-template")
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS "native;${T_LABELS}" TIMEOUT 300)
  endif()
endfunction()
