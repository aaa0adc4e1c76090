# The layers of the tree, bottom up. A layer's code may include and call only its own
# folders and the layers below it, and the build checks both ways of running back up:
# - every file of a layer's folders is read for its includes ("layer/file.h", also in
#   <...>), before the layer compiles, so an upward header that needs no linking (types,
#   inline functions, templates) is refused too;
# - a static layer is linked whole into a throw-away shared library with
#   -Wl,--no-undefined against the layers below only, so a call into a layer above is an
#   undefined symbol and fails the build, whether or not a program pulls it in.
#
# zabrel_layer(<target> FOLDERS <folder>... [BELOW <layer>...] [EXCLUDE <file>...])
#   A static library of every *.cpp in the folders (found again at each build, so new
#   files need no edit here), less EXCLUDE (file names, e.g. a program's main.cpp, which
#   is still read for its includes), linking the layers BELOW it publicly.
# zabrel_layer_rules(<target> FOLDERS <folder>... [BELOW <layer>...])
#   The include check alone, for a target made otherwise (a shared library, a module);
#   the caller links it, with -Wl,--no-undefined where it can.
#
# A folder's name is the first part of the includes that reach it: src/engine is
# "engine/...", include/zabrel is "zabrel/...". ZABREL_LAYER_ROOTS lists the folders
# holding the layer folders (default: src and include), whose sub-folders are the names
# an include may not name unless its layer allows them.

set(ZABREL_LAYERS_DIR ${CMAKE_CURRENT_LIST_DIR})
if(NOT DEFINED ZABREL_LAYER_ROOTS)
  set(ZABREL_LAYER_ROOTS ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
endif()
# Clang's sanitizers link their run time into programs only, so a shared library of
# instrumented code has undefined symbols by design: no link check there.
if(ZABREL_FUZZ OR (ZABREL_SANITIZE AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU"))
  set(ZABREL_LAYER_LINK_CHECK OFF)
else()
  set(ZABREL_LAYER_LINK_CHECK ON)
endif()

function(zabrel_layer_rules target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;BELOW")
  set(names)
  set(files)
  foreach(folder ${arg_FOLDERS})
    get_filename_component(folder ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(name ${folder} NAME)
    list(APPEND names ${name})
    file(GLOB found CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h ${folder}/*.inl ${folder}/*.in)
    list(APPEND files ${found})
  endforeach()
  set(allowed ${names})
  foreach(below ${arg_BELOW})
    get_property(below_allowed TARGET ${below} PROPERTY ZABREL_LAYER_ALLOWED)
    if(NOT below_allowed)
      message(FATAL_ERROR "${target}: ${below} is no layer (zabrel_layer or zabrel_layer_rules first)")
    endif()
    list(APPEND allowed ${below_allowed})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(TARGET ${target} PROPERTY ZABREL_LAYER_ALLOWED ${allowed})

  list(JOIN names ", " layer)
  set(rules ${CMAKE_CURRENT_BINARY_DIR}/${target}.layer.cmake)
  file(CONFIGURE OUTPUT ${rules} CONTENT
"set(LAYER \"${layer}\")
set(ALLOWED \"${allowed}\")
set(ROOTS \"${ZABREL_LAYER_ROOTS}\")
set(TOP \"${PROJECT_SOURCE_DIR}\")
set(FILES \"${files}\")
" @ONLY)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DRULES=${rules} -DSTAMP=${stamp} -P ${ZABREL_LAYERS_DIR}/CheckLayerIncludes.cmake
    DEPENDS ${files} ${rules} ${ZABREL_LAYERS_DIR}/CheckLayerIncludes.cmake
    COMMENT "Checking the includes of ${target}" VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()

function(zabrel_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;BELOW;EXCLUDE")
  set(sources)
  foreach(folder ${arg_FOLDERS})
    get_filename_component(folder ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    file(GLOB found CONFIGURE_DEPENDS ${folder}/*.cpp)
    foreach(source ${found})
      get_filename_component(name ${source} NAME)
      if(NOT name IN_LIST arg_EXCLUDE)
        list(APPEND sources ${source})
      endif()
    endforeach()
  endforeach()
  add_library(${target} STATIC ${sources})
  target_link_libraries(${target} PUBLIC ${arg_BELOW})
  # The shared library, the Enchant provider and the link check are made of the same
  # objects.
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  zabrel_layer_rules(${target} FOLDERS ${arg_FOLDERS} BELOW ${arg_BELOW})

  if(ZABREL_LAYER_LINK_CHECK)
    set(empty ${CMAKE_CURRENT_BINARY_DIR}/${target}_linkcheck.cpp)
    file(CONFIGURE OUTPUT ${empty} CONTENT "// The layer's own objects are all this library holds.\n" @ONLY)
    add_library(${target}_linkcheck SHARED ${empty})
    target_link_libraries(${target}_linkcheck PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
    # Nothing of it is kept: no debug information to write.
    target_link_options(${target}_linkcheck PRIVATE -Wl,--no-undefined -Wl,--strip-debug)
  endif()
endfunction()
