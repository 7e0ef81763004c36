# The layer check: fails when a source file includes a file of a layer it may
# not reach. Run as a build step and as a test:
#   cmake -DSOURCE_DIR=<tree> -P cmake/CheckLayers.cmake
#
# The layers, bottom-up. Each folder may include its own files and those of
# the folders listed for it, nothing else of this tree. The CMake targets
# (CMakeLists.txt) link in the same direction.
cmake_minimum_required(VERSION 3.25)
set(LAYERS base imaging formats platform resources shell editor browser browser/core output output/jobs app)
set(ALLOWED_base      base)
set(ALLOWED_imaging   base imaging)
set(ALLOWED_formats   base imaging formats)
set(ALLOWED_platform  base platform)
set(ALLOWED_resources base resources)
set(ALLOWED_shell     base imaging formats platform resources shell)
set(ALLOWED_editor    base imaging formats platform resources shell editor)
set(ALLOWED_browser   base imaging formats platform resources shell browser)
# The browser's window-free core: below the shell, beside platform.
set(ALLOWED_browser/core base imaging formats platform browser)
set(ALLOWED_output    base imaging formats platform resources shell output)
# The output features' window-free jobs: below the shell, beside platform.
set(ALLOWED_output/jobs base imaging formats platform output)
set(ALLOWED_app       base imaging formats platform resources shell editor browser output app)
# Folders that build and test without a display: no toolkit headers.
set(NO_TOOLKIT base imaging formats platform browser/core output/jobs)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: pass -DSOURCE_DIR=<source tree>")
endif()

set(violations 0)
foreach(layer IN LISTS LAYERS)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.c)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z0-9_]+)/")
        set(target ${CMAKE_MATCH_1})
        if(target IN_LIST LAYERS AND NOT target IN_LIST ALLOWED_${layer})
          message(SEND_ERROR "layer check: ${rel} (${layer}) includes ${target}/, which ${layer} may not reach: ${line}")
          math(EXPR violations "${violations} + 1")
        endif()
      endif()
      if(layer IN_LIST NO_TOOLKIT AND line MATCHES "#[ \t]*include[ \t]*<(wx|gtk|gdk)/")
        message(SEND_ERROR "layer check: ${rel} (${layer}) includes a toolkit header: ${line}")
        math(EXPR violations "${violations} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "layer check: ${violations} include(s) point against the layers")
endif()
