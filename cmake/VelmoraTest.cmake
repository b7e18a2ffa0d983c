# velmora_add_test(name SOURCES ... LIBS ...)
# Natively every GoogleTest case becomes its own CTest test. Under Wine one
# process per test program keeps the cost of a fresh Wine prefix to one per
# program; the emulator wrapper gives each run a private prefix.
# SCREEN: the program shows windows on the one virtual display or reads it
# back; such programs take turns, so none reads another's windows.
function(velmora_add_test name)
  cmake_parse_arguments(T "SCREEN" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main velmora_flags)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}" TIMEOUT 600
      ENVIRONMENT "VELMORA_WINE_TEMPLATE=${CMAKE_BINARY_DIR}/wine-template")
    if(T_SCREEN)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK screen)
    endif()
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS "native;${T_LABELS}" TIMEOUT 300)
  endif()
endfunction()
