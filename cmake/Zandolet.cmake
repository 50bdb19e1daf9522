# Helpers shared by the folders. Sources are found by glob so that a new file
# needs no CMake edit; CONFIGURE_DEPENDS re-globs on every build.

# zandolet_sources(<var> <dir> [EXCLUDE <regex>...])
function(zandolet_sources out dir)
  cmake_parse_arguments(Z "" "" "EXCLUDE" ${ARGN})
  file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.qrc")
  foreach(rx IN LISTS Z_EXCLUDE)
    list(FILTER found EXCLUDE REGEX "${rx}")
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# zandolet_test(<name> SOURCES ... LIBS ... [PRIVATE_NET <file>] [HOSTS <file>])
# One Qt Test program, registered with ctest, headless and with a fixed locale.
# PRIVATE_NET <resolv.conf> and HOSTS <hosts> run it in a loopback-only network
# of its own with that resolver configuration and hosts file (skipped where no
# namespace can be made).
function(zandolet_test name)
  cmake_parse_arguments(Z "" "TIMEOUT;PRIVATE_NET;HOSTS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${Z_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${Z_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE ZANDOLET_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  if(Z_PRIVATE_NET OR Z_HOSTS)
    set(net)
    if(Z_PRIVATE_NET)
      list(APPEND net --resolv ${Z_PRIVATE_NET})
    endif()
    if(Z_HOSTS)
      list(APPEND net --hosts ${Z_HOSTS})
    endif()
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/support/private-net ${net}
             -- $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  if(NOT Z_TIMEOUT)
    set(Z_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${Z_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false")
endfunction()

# Every subfolder of <dir> that has a CMakeLists.txt.
function(zandolet_add_subfolders dir)
  file(GLOB children LIST_DIRECTORIES true "${dir}/*")
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
      add_subdirectory("${child}")
    endif()
  endforeach()
endfunction()
