# Builds a tree of two layers, base below top, with the project's layer rules, then
# runs code back up in three ways and expects each build to fail with its own message,
# and the tree to build again once the fault is gone:
# - a new file of base calls top (the folder is found again without a CMake edit, and
#   the link check refuses the call);
# - base includes a header of top that needs no linking (the include check refuses it);
# - base reaches top with "../".
# usage: cmake -DMODULE_DIR=<cmake folder> -DCXX=<compiler> -DGENERATOR=<generator> -P this
cmake_minimum_required(VERSION 3.25)
if(DEFINED ENV{TMPDIR})
  set(tmp $ENV{TMPDIR})
else()
  set(tmp /tmp)
endif()
string(RANDOM LENGTH 12 random)
set(work ${tmp}/zabrel-layers-${random})
set(tree ${work}/tree)
set(build ${work}/build)

function(fail text)
  file(REMOVE_RECURSE ${work})
  message(FATAL_ERROR "${text}")
endfunction()

file(WRITE ${tree}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(Layers LANGUAGES CXX)
include(${MODULE_DIR}/ZabrelLayers.cmake)
zabrel_layer(base FOLDERS src/base)
target_include_directories(base PUBLIC src)
zabrel_layer(top FOLDERS src/top BELOW base)
")
file(WRITE ${tree}/src/base/base.h "int baseValue();\n")
set(base_cpp "#include \"base/base.h\"\nint baseValue() { return 1; }\n")
file(WRITE ${tree}/src/base/base.cpp "${base_cpp}")
file(WRITE ${tree}/src/top/top.h "inline int topInline() { return 2; }\nint topValue();\n")
file(WRITE ${tree}/src/top/top.cpp
  "#include \"top/top.h\"\n#include \"base/base.h\"\nint topValue() { return baseValue() + topInline(); }\n")

execute_process(COMMAND ${CMAKE_COMMAND} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} -S ${tree} -B ${build}
  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("the tree does not configure:\n${out}")
endif()

# Builds the tree; `expected` is empty for a build that must succeed, else a text its
# failure must show.
function(build_expecting what expected)
  # The linker's messages in English, whatever the caller's language.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${CMAKE_COMMAND} --build ${build}
    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
  if(expected STREQUAL "")
    if(NOT status EQUAL 0)
      fail("${what}: the build fails:\n${out}")
    endif()
  else()
    if(status EQUAL 0)
      fail("${what}: the build succeeds:\n${out}")
    endif()
    string(FIND "${out}" "${expected}" at)
    if(at LESS 0)
      fail("${what}: the build fails without \"${expected}\":\n${out}")
    endif()
  endif()
endfunction()

build_expecting("the clean tree" "")

file(WRITE ${tree}/src/base/late.cpp "int topValue();\nint late() { return topValue(); }\n")
build_expecting("a new file of base calling top" "undefined reference to `topValue()'")
file(REMOVE ${tree}/src/base/late.cpp)
build_expecting("the tree without that file" "")

file(WRITE ${tree}/src/base/base.cpp
  "#include \"base/base.h\"\n#include \"top/top.h\"\nint baseValue() { return topInline(); }\n")
build_expecting("base including a header of top"
  "src/base/base.cpp:2: error: top/top.h is not of its layer (base) or a layer below it (base)")

file(WRITE ${tree}/src/base/base.cpp "#include \"base/base.h\"\n\n#include \"../top/top.h\"\nint baseValue() { return 1; }\n")
build_expecting("base reaching top with ../" "src/base/base.cpp:3: error: ../top/top.h reaches out of its folder")

file(WRITE ${tree}/src/base/base.cpp "${base_cpp}")
build_expecting("the tree put right" "")
file(REMOVE_RECURSE ${work})
