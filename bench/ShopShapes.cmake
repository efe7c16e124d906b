# Builds a small shop in both shapes of its sales and checks that they hold
# the same rows: bench-mkshop prints the digest of the sales read back from
# the file (order plays no part in it) and fails by itself when the file
# differs from what it wrote or the date-ordered shape is out of order.
#   cmake -DMKSHOP=<bench-mkshop> -DWORK_DIR=<folder> -P ShopShapes.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
foreach(shape casuale data)
  execute_process(COMMAND ${MKSHOP} ${WORK_DIR}/${shape}.mdb 0.002 --ordine ${shape}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "bench-mkshop --ordine ${shape} failed: ${output}${error}")
  endif()
  string(REGEX MATCH "sales digest ([0-9a-f]+) over ([0-9]+) rows; ([0-9]+) rows follow a later date" found "${output}")
  if(NOT found)
    message(FATAL_ERROR "bench-mkshop --ordine ${shape} printed no digest: ${output}")
  endif()
  set(digest_${shape} ${CMAKE_MATCH_1})
  set(rows_${shape} ${CMAKE_MATCH_2})
  set(late_${shape} ${CMAKE_MATCH_3})
endforeach()
if(NOT digest_casuale STREQUAL digest_data OR NOT rows_casuale EQUAL rows_data)
  message(FATAL_ERROR "the shapes differ: ${rows_casuale} rows ${digest_casuale} against ${rows_data} rows ${digest_data}")
endif()
if(NOT late_data EQUAL 0 OR late_casuale EQUAL 0)
  message(FATAL_ERROR "order: ${late_casuale} rows out of date order in random order, ${late_data} in date order")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "both shapes: ${rows_data} sales, digest ${digest_data}")
