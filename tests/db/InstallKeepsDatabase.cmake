# Installs the database into a scratch prefix, changes it as a user would,
# installs again and checks that not one byte changed; then checks that
# building the database target leaves the program folder's database alone.
set(prefix ${BUILD_DIR}/test-install-database)
file(REMOVE_RECURSE ${prefix})
file(MAKE_DIRECTORY ${prefix})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component database
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS ${prefix}/tarvo.mdb)
  message(FATAL_ERROR "first install did not create tarvo.mdb: ${out}")
endif()
if(NOT EXISTS ${prefix}/tarvo.sql)
  message(FATAL_ERROR "install did not copy the schema")
endif()

# A user's change: any content at all must survive.
file(APPEND ${prefix}/tarvo.mdb "user data")
file(SHA256 ${prefix}/tarvo.mdb before)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component database
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "second install failed: ${out}")
endif()
file(SHA256 ${prefix}/tarvo.mdb after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the second install changed the database")
endif()
if(NOT out MATCHES "lasciato invariato")
  message(FATAL_ERROR "the second install did not report the kept database: ${out}")
endif()

# The tool alone, on an existing file.
execute_process(COMMAND ${MKDB} ${prefix}/tarvo.mdb ${SCHEMA} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(SHA256 ${prefix}/tarvo.mdb after_tool)
if(NOT rc EQUAL 0 OR NOT before STREQUAL after_tool)
  message(FATAL_ERROR "tarvo-mkdb touched an existing database")
endif()

# The build target over the program folder's existing database.
set(program_db ${BUILD_DIR}/programma/tarvo.mdb)
if(EXISTS ${program_db})
  file(SHA256 ${program_db} program_before)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target tarvo_database
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  file(SHA256 ${program_db} program_after)
  if(NOT program_before STREQUAL program_after)
    message(FATAL_ERROR "building tarvo_database changed the program folder's database")
  endif()
endif()
file(REMOVE_RECURSE ${prefix})
message(STATUS "database kept byte for byte")
