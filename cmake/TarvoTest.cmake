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

# tarvo_add_server_run(<test>): the test once more, its shop on a PostgreSQL
# 15 server: a throwaway cluster made by pg_virtualenv (package
# postgresql-common) around the run. Two clusters at once would collide on
# the port: the lock "postgres" keeps them apart.
find_program(PG_VIRTUALENV pg_virtualenv)
function(tarvo_add_server_run name)
  if(NOT PG_VIRTUALENV OR NOT EXISTS /usr/lib/postgresql/15/bin/postgres)
    return()
  endif()
  add_test(NAME ${name}_server COMMAND ${PG_VIRTUALENV} -t -v 15 $<TARGET_FILE:${name}>)
  get_test_property(${name} ENVIRONMENT environment)
  string(REPLACE "/${name}.reg" "/${name}_server.reg" environment "${environment}")
  set_tests_properties(${name}_server PROPERTIES TIMEOUT 900 RESOURCE_LOCK postgres
    ENVIRONMENT "${environment};TARVO_TEST_SERVER=1")
endfunction()

# tarvo_crash_test_timeout(<test>): a crash test bounds each of its trials and
# sets QtTest's limit from the number it runs (tests/common/CrashTrials.h), so
# CTest sets none: a run of a thousand trials takes hours on the server.
function(tarvo_crash_test_timeout name)
  set_tests_properties(${name} PROPERTIES TIMEOUT 0)
  if(TEST ${name}_server)
    set_tests_properties(${name}_server PROPERTIES TIMEOUT 0)
  endif()
endfunction()

# tarvo_test_fixture(<library> <links...>): a fixture the tests share,
# compiled once: its folder is on the include path of every test linking it.
function(tarvo_test_fixture name)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/common)
  target_link_libraries(${name} PUBLIC tarvo_options Qt6::Test ${ARGN})
endfunction()
