# qv7_library(NAME DIR [DEPS ...]): a static library of every .cpp below DIR.
# Sources are globbed so that adding a class is adding its two files.
function(qv7_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# qv7_test(NAME SOURCES... DEPS... [ENV "NAME=value;..."] [NO_LEAK_CHECK]): one
# GoogleTest executable registered with CTest. Its environment is set by
# tests/TestMain.cpp (null back-ends unless ENV says otherwise).
function(qv7_test name)
  cmake_parse_arguments(ARG "NO_LEAK_CHECK" "" "SOURCES;DEPS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Where the game and tool binaries are, for tests that run them.
  target_compile_definitions(${name} PRIVATE QV7_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  if(ARG_ENV)
    list(JOIN ARG_ENV "," joined)
    target_compile_definitions(${name} PRIVATE "QV7_TEST_ENV=\"${joined}\"")
  endif()
  if(ARG_NO_LEAK_CHECK)
    target_compile_definitions(${name} PRIVATE QV7_TEST_NO_LEAK_CHECK)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# qv7_tests_here(DEPS ...): every *_test.cpp in the calling folder becomes one
# test executable, named after its file, linked with DEPS. *_gl_test.cpp files
# are picture tests: they run the real back-ends (OpenGL on the offscreen
# driver), and Mesa and SDL leak at exit, so leak detection is off for them only.
function(qv7_tests_here)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    if(name MATCHES "_gl_test$")
      qv7_test(${name} SOURCES ${src} DEPS ${ARG_DEPS} ENV "QV7_BACKEND=real" NO_LEAK_CHECK)
    else()
      qv7_test(${name} SOURCES ${src} DEPS ${ARG_DEPS})
    endif()
  endforeach()
endfunction()

# Adds every sub-folder of the calling folder that has a CMakeLists.txt.
function(qv7_add_subfolders)
  file(GLOB dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${dirs})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
