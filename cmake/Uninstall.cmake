# Removes the files listed in an install manifest, then the directories of
# Varnex's own that are left empty.
#
#   cmake -DMANIFEST=build/install_manifest.txt -P cmake/Uninstall.cmake
cmake_minimum_required(VERSION 3.22)

if(NOT MANIFEST OR NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: no install manifest \"${MANIFEST}\" (it is written by cmake --install)")
endif()

file(STRINGS "${MANIFEST}" installed)
set(directories)
foreach(file IN LISTS installed)
  if(IS_SYMLINK "${file}" OR EXISTS "${file}")
    message(STATUS "Uninstalling: ${file}")
    file(REMOVE "${file}")
    if(IS_SYMLINK "${file}" OR EXISTS "${file}")
      message(FATAL_ERROR "Cannot remove ${file}")
    endif()
  else()
    message(STATUS "Already gone: ${file}")
  endif()
  get_filename_component(dir "${file}" DIRECTORY)
  list(APPEND directories "${dir}")
endforeach()

# Only directories named for Varnex (include/varnex, share/varnex,
# lib/cmake/Varnex and what lies below them) are taken away, never the
# prefix's own lib/ or share/.
list(REMOVE_DUPLICATES directories)
foreach(dir IN LISTS directories)
  while(dir MATCHES "/(include|share)/varnex(/|$)|/cmake/Varnex$")
    file(GLOB left "${dir}/*")
    if(left OR NOT IS_DIRECTORY "${dir}")
      break()
    endif()
    file(REMOVE_RECURSE "${dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
  endwhile()
endforeach()
