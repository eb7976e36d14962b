# Helpers shared by every folder: one way to declare a library, a program
# and a test.

# The version every program and library carries in its version resource.
set(BRINDALE_VERSION 1.0.0.1)

# brindale_version_resource(<target> <suffix> <file type>): adds a version
# resource naming the target.
function(brindale_version_resource target suffix type)
  set(BRINDALE_FILE_NAME ${target})
  set(BRINDALE_FILE_SUFFIX ${suffix})
  set(BRINDALE_FILE_TYPE ${type})
  string(REPLACE "." "," BRINDALE_VERSION_COMMAS ${BRINDALE_VERSION})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# brindale_install(<target> <PEER flag>): the target goes into a user's
# installation (cmake --install <build> --component system), unless it is a
# test peer: PEER given, or declared below a tests/ or bench/ folder.
function(brindale_install target peer)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(peer OR "/${folder}/" MATCHES "/(tests|bench)/")
    return()
  endif()
  install(PROGRAMS $<TARGET_FILE:${target}> DESTINATION . COMPONENT system)
endfunction()

# brindale_dll(<name> SOURCES ... [DEF file] [LIBS ...] [PEER])
# A DLL named exactly <name>.dll; its exports come from the .def file. PEER:
# a library only tests use.
function(brindale_dll name)
  cmake_parse_arguments(A "PEER" "DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  brindale_version_resource(${name} .dll VFT_DLL)
  if(A_DEF)
    target_sources(${name} PRIVATE ${A_DEF})
  endif()
  if(A_LIBS)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
  endif()
  brindale_install(${name} "${A_PEER}")
endfunction()

# brindale_exe(<name> [GUI] SOURCES ... [LIBS ...] [PEER])
# PEER: a program only tests use.
function(brindale_exe name)
  cmake_parse_arguments(A "GUI;PEER" "" "SOURCES;LIBS" ${ARGN})
  if(A_GUI)
    add_executable(${name} WIN32 ${A_SOURCES})
  else()
    add_executable(${name} ${A_SOURCES})
  endif()
  brindale_version_resource(${name} .exe VFT_APP)
  if(A_LIBS)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
  endif()
  brindale_install(${name} "${A_PEER}")
endfunction()

# brindale_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s]
#               [DEPENDS targets...] [FILES paths...] [COMMAND ...])
# A GoogleTest program run under Wine by ctest, in a working folder and a
# Wine environment of its own (scripts/run-test.sh): tests run side by side
# share no display, focus, registry, mailslots, window names or wave-out.
# The working folder is emptied before each run; FILES (files or folders)
# are copied into it then.
# COMMAND replaces the plain run (for tests that need a peer such as a
# local server started around them); @EXE@ stands for the test program.
function(brindale_test name)
  if(NOT BRINDALE_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LIBS;DEPENDS;FILES;COMMAND" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest_main)
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  if(A_COMMAND)
    list(TRANSFORM A_COMMAND REPLACE "@EXE@" "$<TARGET_FILE:${name}>")
  else()
    set(A_COMMAND "$<TARGET_FILE:${name}>")
  endif()
  set(with)
  foreach(path ${A_FILES})
    list(APPEND with --with ${path})
  endforeach()
  add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/run-test.sh ${with} ${A_COMMAND}
           WORKING_DIRECTORY ${workdir})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()
