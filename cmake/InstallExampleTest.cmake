# Run by ctest (ridirodev_install_example) with cmake -P: installs the build tree BUILD_DIR into
# a prefix of its own under WORK_DIR, checks that every installed header includes only
# installed headers and that the README shows examples/embedding.cc as it is, then configures,
# builds and runs examples/ against that prefix alone. CXX_FLAGS and LINK_FLAGS carry the
# sanitizer flags of an instrumented build.

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Every quoted include of an installed header must be installed beside it.
set(include_dir ${prefix}/include/ridirodev)
file(GLOB_RECURSE headers RELATIVE ${include_dir} ${include_dir}/*.h)
if(NOT headers)
  message(FATAL_ERROR "No headers installed under ${include_dir}")
endif()
foreach(header IN LISTS headers)
  file(STRINGS ${include_dir}/${header} includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT EXISTS ${include_dir}/${included})
      message(FATAL_ERROR "The public header ${header} includes ${included}, which is not installed: "
                          "add it to the public headers in CMakeLists.txt")
    endif()
  endforeach()
endforeach()

# The README shows the example's whole text.
file(READ ${SOURCE_DIR}/examples/embedding.cc example)
file(READ ${SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "```cpp\n${example}```\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md does not show examples/embedding.cc as it is (in a cpp block)")
endif()

set(example_build ${WORK_DIR}/build)
run("Configuring examples/" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${example_build} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Wpedantic -Werror ${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
file(STRINGS ${example_build}/CMakeCache.txt found REGEX "^Ridirodev_DIR:")
if(NOT found MATCHES "=${prefix}/")
  message(FATAL_ERROR "examples/ found the package elsewhere: ${found}")
endif()
run("Building examples/" ${CMAKE_COMMAND} --build ${example_build})
run("The example" ${example_build}/embedding)
message("${output}")
if(NOT output MATCHES "Added Minutes_Per_Attempt \\(id [1-9][0-9]*, status T\\)")
  message(FATAL_ERROR "The example did not add its calculation")
endif()
