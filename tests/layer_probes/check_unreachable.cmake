# cmake -DBUILD_DIR=... -DCONFIG=... -DPROBE=... -DCONTROL=... -DHEADER=... -P check_unreachable.cmake
#
# Builds CONTROL, which must succeed, then PROBE, which must fail because HEADER is not
# found; any other outcome fails with the build's output.
foreach(var BUILD_DIR PROBE CONTROL HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_unreachable.cmake needs -D${var}=...")
  endif()
endforeach()
set(ENV{LC_ALL} C)  # the compiler's messages in English, to recognise the missing header

function(build target)
  set(config)
  if(CONFIG)
    set(config --config ${CONFIG})
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} ${config} --target ${target}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(result ${result} PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
endfunction()

build(${CONTROL})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${CONTROL} does not build, so ${PROBE} proves nothing:\n${output}")
endif()
build(${PROBE})
if(result EQUAL 0)
  message(FATAL_ERROR "${PROBE} built: a screen unit can include ${HEADER}")
endif()
string(FIND "${output}" "${HEADER}: No such file or directory" missing)
if(missing EQUAL -1)
  message(FATAL_ERROR "${PROBE} failed, but not for want of ${HEADER}:\n${output}")
endif()
message(STATUS "${HEADER} is out of a screen unit's reach")
