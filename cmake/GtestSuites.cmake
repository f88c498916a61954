# One ctest entry per test suite of a GoogleTest executable, not one per
# test: each test process of the sanitizer build spends about a second
# loading and relocating the instrumented libraries before its first test,
# so a process per test cost more than the tests. Suites of more than
# VELDRA_SUITE_CHUNK tests are split into shards (GTEST_TOTAL_SHARDS) so that
# the parallel run stays balanced.
#
# veldra_gtest_suites(TARGET t [ENVIRONMENT v=x...]): after each link, lists
# the tests of t and writes the entries ctest includes.
if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: list the tests and write the entries.
  string(REPLACE "|" ";" env "${ENV}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env OPENBLAS_NUM_THREADS=1 ASAN_OPTIONS=detect_leaks=0
                    ${EXE} --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 120)
  if(NOT status EQUAL 0)
    file(REMOVE ${OUT})
    message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${status}):\n${listing}\n${errors}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  set(suites)
  set(suite "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
      set(suite "${CMAKE_MATCH_1}")
      list(APPEND suites "${suite}")
      set(count_${suite} 0)
    elseif(NOT suite STREQUAL "" AND line MATCHES "^  [^ ]")
      if(NOT line MATCHES "^  DISABLED_")
        math(EXPR count_${suite} "${count_${suite}} + 1")
      endif()
    endif()
  endforeach()
  set(text "")
  foreach(suite IN LISTS suites)
    set(n ${count_${suite}})
    if(n EQUAL 0)
      continue()
    endif()
    # Ceiling of n / CHUNK shards.
    math(EXPR shards "(${n} + ${CHUNK} - 1) / ${CHUNK}")
    string(JOIN ";" props ${env})
    if(shards EQUAL 1)
      string(APPEND text "add_test([==[${suite}]==] [==[${EXE}]==] [==[--gtest_filter=${suite}.*]==])\n")
      string(APPEND text "set_tests_properties([==[${suite}]==] PROPERTIES RESOURCE_GROUPS cpu:1 ENVIRONMENT [==[${props}]==])\n")
    else()
      math(EXPR last "${shards} - 1")
      foreach(i RANGE ${last})
        math(EXPR shown "${i} + 1")
        set(name "${suite}#${shown}/${shards}")
        string(APPEND text "add_test([==[${name}]==] [==[${EXE}]==] [==[--gtest_filter=${suite}.*]==])\n")
        string(APPEND text "set_tests_properties([==[${name}]==] PROPERTIES ENVIRONMENT "
                           "[==[GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${i};${props}]==] RESOURCE_GROUPS cpu:1)\n")
      endforeach()
    endif()
  endforeach()
  file(WRITE ${OUT} "${text}")
  return()
endif()

set(VELDRA_SUITE_CHUNK 24 CACHE STRING "Tests per ctest entry at most (larger suites are sharded)")
set(VELDRA_GTEST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(veldra_gtest_suites)
  cmake_parse_arguments(S "" "TARGET" "ENVIRONMENT" ${ARGN})
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${S_TARGET}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${S_TARGET}_suites_include.cmake)
  string(REPLACE ";" "|" env "${S_ENVIRONMENT}")
  add_custom_command(TARGET ${S_TARGET} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D "EXE=$<TARGET_FILE:${S_TARGET}>" -D "OUT=${list_file}" -D "ENV=${env}"
      -D "CHUNK=${VELDRA_SUITE_CHUNK}" -P ${VELDRA_GTEST_SUITES_SCRIPT}
    BYPRODUCTS ${list_file} VERBATIM)
  file(WRITE ${include_file}
    "if(EXISTS \"${list_file}\")\n  include(\"${list_file}\")\nelse()\n"
    "  add_test(${S_TARGET}_NOT_BUILT ${S_TARGET}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

