# Which headers a target may include is decided by the include path it gets, not by
# convention: no target puts the repository root on its path. Instead each layer has
# a staged folder in the build tree that holds only the source folders it offers, as
# symbolic links under their own relative paths, so `#include "platform/ui/form.h"`
# keeps its form everywhere while `#include "server/..."` is not found by a target
# that was not given the server's folder. Which folders a part may be given is stated
# in cmake/layers.txt; tests/layers checks the compile commands against it.

# vqr_stage_headers(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...): stages the given
# folders (relative to the repository root) in build/include/<target> and puts that
# folder on the target's include path with the given scope. The staged folder is made
# afresh at every configure, so it holds exactly the folders named here.
function(vqr_stage_headers target scope)
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${stage})  # removes the links, never what they point to
  foreach(folder IN LISTS ARGN)
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder})
      message(FATAL_ERROR "vqr_stage_headers(${target}): no folder ${folder}")
    endif()
    get_filename_component(parent ${stage}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${stage}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${stage})
endfunction()

# vqr_header_layer(<name> <folder>...): an INTERFACE target that only stages headers,
# for a layer that has no library of its own or whose headers a test may also see.
function(vqr_header_layer name)
  add_library(${name} INTERFACE)
  vqr_stage_headers(${name} INTERFACE ${ARGN})
endfunction()
