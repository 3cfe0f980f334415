# zentrope_library(NAME DIR [SHARED|STATIC] DEPS ...)
# Every library keeps its public headers under include/<name>/ and its sources
# under src/; new source files are picked up without touching this file.
function(zentrope_library name)
  cmake_parse_arguments(ARG "STATIC" "" "PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  if(ARG_STATIC)
    add_library(${name} STATIC ${srcs})
  else()
    add_library(${name} SHARED ${srcs})
    install(TARGETS ${name} LIBRARY DESTINATION ${ZENTROPE_APPDIR})
  endif()
  target_include_directories(${name}
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# zentrope_test(NAME DIR DEPS ...): one gtest executable per test folder.
function(zentrope_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} zentrope_testsupport GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
