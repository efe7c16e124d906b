# tarvo_add_test(<name> SOURCES <files...> LIBS <targets...> [WRAP <command...>])
# One QtTest executable, registered with CTest, run offscreen with a fixed
# locale and a component registry of its own. WRAP runs it through a command
# that prepares its world first (a throwaway database server).
function(tarvo_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;WRAP" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE tarvo_options Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
  if(T_WRAP)
    add_test(NAME ${name} COMMAND ${T_WRAP} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TARVO_REGISTRY=${CMAKE_BINARY_DIR}/test-registry/${name}.reg;TARVO_PROGRAM_DIR=${TARVO_PROGRAM_DIR};TARVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
