# A media file that includes an engine header must fail the layer check,
# naming the file and the include; a downward include passes.
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/engine/Engine.h "#pragma once\n#include \"media/Probe.h\"\n")
file(WRITE ${WORK}/media/Probe.h "#pragma once\n#include \"libav/Binding.h\"\n")
file(WRITE ${WORK}/libav/Binding.h "#pragma once\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -DVELMORA_SOURCE_DIR=${WORK}
          -P ${VELMORA_SOURCE_DIR}/cmake/LayerIncludes.cmake
  RESULT_VARIABLE downward ERROR_VARIABLE downward_text)
if(NOT downward EQUAL 0)
  message(FATAL_ERROR "a downward include was refused:\n${downward_text}")
endif()

file(WRITE ${WORK}/media/Probe.cpp "#include \"media/Probe.h\"\n#include \"engine/Engine.h\"\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -DVELMORA_SOURCE_DIR=${WORK}
          -P ${VELMORA_SOURCE_DIR}/cmake/LayerIncludes.cmake
  RESULT_VARIABLE upward ERROR_VARIABLE upward_text)
if(upward EQUAL 0)
  message(FATAL_ERROR "an upward include passed the check")
endif()
if(NOT upward_text MATCHES "media/Probe.cpp \\(layer media\\): #include \"engine/Engine.h\"")
  message(FATAL_ERROR "the refusal does not name the file and the include:\n${upward_text}")
endif()
