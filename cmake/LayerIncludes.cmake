# The source folders are layers, listed from the bottom up. A file may include
# headers of its own layer and of the layers below it, never of one above:
# each layer is a library that links only the layers under it.
#
# Checked at configure time (velmora_check_layer_includes) and by a test that
# runs this file as a script: cmake -DVELMORA_SOURCE_DIR=<root> -P LayerIncludes.cmake
set(VELMORA_LAYERS libav media engine converter app dialogs ui tools)

function(velmora_check_layer_includes root)
  set(problems "")
  # At configure time the file lists are checked again when files come or go.
  set(watch CONFIGURE_DEPENDS)
  if(CMAKE_SCRIPT_MODE_FILE)
    set(watch "")
  endif()
  list(LENGTH VELMORA_LAYERS count)
  math(EXPR last "${count} - 1")
  foreach(rank RANGE ${last})
    list(GET VELMORA_LAYERS ${rank} layer)
    file(GLOB_RECURSE files ${watch}
      ${root}/${layer}/*.h ${root}/${layer}/*.cpp ${root}/${layer}/*.c)
    foreach(file IN LISTS files)
      file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
      foreach(line IN LISTS includes)
        string(REGEX MATCH "\"([A-Za-z0-9_]+)/" _ "${line}")
        list(FIND VELMORA_LAYERS "${CMAKE_MATCH_1}" included_rank)
        if(included_rank GREATER rank)
          file(RELATIVE_PATH name ${root} ${file})
          string(STRIP "${line}" line)
          list(APPEND problems "  ${name} (layer ${layer}): ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(problems)
    list(JOIN problems "\n" text)
    message(FATAL_ERROR
      "Files include headers of a layer above their own (layers from the bottom up: "
      "${VELMORA_LAYERS}):\n${text}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND VELMORA_SOURCE_DIR)
  velmora_check_layer_includes(${VELMORA_SOURCE_DIR})
endif()
