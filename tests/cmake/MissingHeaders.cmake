# Configuring against a folder without FFmpeg headers stops at once and names
# the Debian packages that bring them.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/empty)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${VELMORA_SOURCE_DIR} -B ${WORK}/build
          -DVELMORA_FFMPEG_INCLUDE_DIR=${WORK}/empty
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0)
  message(FATAL_ERROR "the configure step passed without FFmpeg headers")
endif()
foreach(package libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
                libavfilter-dev libavdevice-dev)
  if(NOT err MATCHES "${package}")
    message(FATAL_ERROR "the message does not name ${package}:\n${err}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
