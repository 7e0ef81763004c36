# The layer check: fails when a source file includes a file of a layer it may
# not reach. Run as a build step and as a test:
#   cmake -DSOURCE_DIR=<tree> -P cmake/CheckLayers.cmake
#
# The layers, bottom-up. Each folder may include its own files and those of
# the folders listed for it, nothing else of this tree. The CMake targets
# (CMakeLists.txt) link in the same direction.
cmake_minimum_required(VERSION 3.25)
# A layer may be a subfolder ("editor/model", "browser/core"); a file belongs
# to the longest layer its path starts with, and so does an included file.
set(LAYERS base imaging formats platform resources shell editor/model editor browser/core browser output/core output app)
set(ALLOWED_base      base)
set(ALLOWED_imaging   base imaging)
set(ALLOWED_formats   base imaging formats)
set(ALLOWED_platform  base platform)
set(ALLOWED_resources base resources)
set(ALLOWED_shell     base imaging formats platform resources shell)
set(ALLOWED_editor/model base imaging formats editor/model)
set(ALLOWED_editor    base imaging formats platform resources shell editor/model editor)
set(ALLOWED_browser   base imaging formats platform resources shell browser/core browser)
# The browser's window-free core: below the shell, beside platform.
set(ALLOWED_browser/core base imaging formats platform browser/core)
# The output's window-free core: above the core, below the shell.
set(ALLOWED_output/core base imaging formats platform output/core)
set(ALLOWED_output    base imaging formats platform resources shell output/core output)
set(ALLOWED_app       base imaging formats platform resources shell editor/model editor browser/core browser output/core output app)
# Folders that build and test without a display: no toolkit headers.
set(NO_TOOLKIT base imaging formats platform editor/model browser/core output/core)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: pass -DSOURCE_DIR=<source tree>")
endif()

# The layer of a path inside the tree (empty when it is in none).
function(layer_of path out)
  set(best "")
  foreach(layer IN LISTS LAYERS)
    string(LENGTH "${layer}" n)
    string(LENGTH "${best}" m)
    string(SUBSTRING "${path}/" 0 ${n} head)
    string(SUBSTRING "${path}/" ${n} 1 next)
    if(head STREQUAL layer AND next STREQUAL "/" AND n GREATER m)
      set(best ${layer})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(violations 0)
set(files)
foreach(layer IN LISTS LAYERS)
  file(GLOB_RECURSE found ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.c)
  list(APPEND files ${found})
endforeach()
list(REMOVE_DUPLICATES files)
foreach(file IN LISTS files)
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
  layer_of("${rel}" layer)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      layer_of("${CMAKE_MATCH_1}" target)
      if(target AND NOT target IN_LIST ALLOWED_${layer})
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

if(violations GREATER 0)
  message(FATAL_ERROR "layer check: ${violations} include(s) point against the layers")
endif()
