# Each subsystem folder is one static library made of every .cpp below it, so that a new
# source file needs no CMake edit. Folders named in EXCLUDE (sub-libraries) are left out.
function(veldra_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${ex}/")
  endforeach()
  if(NOT srcs)
    message(FATAL_ERROR "library ${name} has no sources")
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# One GoogleTest program per test folder, made of every .cpp in it; each test carries the label
# and any further test PROPERTIES given as name/value pairs (e.g. FIXTURES_REQUIRED).
function(veldra_test_folder name)
  cmake_parse_arguments(ARG "" "LABEL" "DEPS;PROPERTIES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} veldra_test_support veldra_test_main)
  # The support library's main() sets TZ=UTC and the headless platform for every test.
  gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} ${ARG_PROPERTIES} DISCOVERY_TIMEOUT 60)
endfunction()
