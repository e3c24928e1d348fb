# cmake --install of the build into a fresh prefix: the programs, the theme
# files and a desktop entry whose icon is installed in the icon theme.
#   cmake -DBUILD=<build folder> -DWORK=<scratch folder> -P Install.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

foreach(file
    bin/velmora bin/velmora-convert bin/velmora-probe
    share/applications/velmora.desktop
    share/icons/hicolor/48x48/apps/velmora.png
    share/icons/hicolor/128x128/apps/velmora.png
    share/icons/hicolor/256x256/apps/velmora.png)
  if(NOT EXISTS ${WORK}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

file(GLOB skins ${WORK}/share/velmora/skins/*.sui)
list(LENGTH skins count)
if(NOT count EQUAL 13)
  message(FATAL_ERROR "${count} theme files installed, 13 expected")
endif()

file(STRINGS ${WORK}/share/applications/velmora.desktop entry)
foreach(line "Type=Application" "Exec=velmora" "Icon=velmora" "Name=Velmora")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()
find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} ${WORK}/share/applications/velmora.desktop
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate:\n${output}")
  endif()
endif()
