# Shared settings for every target of our own.

if(VARNIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Strict warnings, treated as errors, for our own code only.
function(varnix_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wdouble-promotion
    -Werror)
endfunction()

# A library whose sources compile once into an object library that feeds both the shared
# library (one exported C entry, everything else hidden) and a static library the tests link,
# so that internals are testable without being exported.
function(varnix_library name output)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name}_objects OBJECT ${ARG_SOURCES})
  set_target_properties(${name}_objects PROPERTIES
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name}_objects PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_objects PUBLIC ${ARG_LIBS})
  varnix_warnings(${name}_objects)

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}_objects>)
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${output})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)

  add_library(${name}_static STATIC $<TARGET_OBJECTS:${name}_objects>)
  target_link_libraries(${name}_static PUBLIC ${name}_objects)
endfunction()

# A test program run by ctest, offscreen and in the C locale.
function(varnix_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  varnix_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C;LC_ALL=C"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(ARG_GUI)
    # Qt and fontconfig keep allocations until exit, which LeakSanitizer would report. Appended
    # to the caller's options, so that their other settings (abort_on_error, …) still hold.
    set_tests_properties(${name} PROPERTIES LABELS gui
      ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=path_list_append:detect_leaks=0")
  endif()
endfunction()
