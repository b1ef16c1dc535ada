# quorvane_add_test(NAME name SOURCES a.cpp ... LIBS lib ...)
# Builds one QtTest executable and registers it with CTest. Widget tests run
# on the offscreen platform so the suite needs no display; journals of moves
# go to the build folder, not to the user's own state folder.
function(quorvane_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS} quorvane_scriptedtoolkit)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVANE_DRIVES=;XDG_STATE_HOME=${PROJECT_BINARY_DIR}/tests-state")
endfunction()
