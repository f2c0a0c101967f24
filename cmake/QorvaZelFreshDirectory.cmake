# cmake -DDIR=<directory> [-DREMOVE=<glob>] -P QorvaZelFreshDirectory.cmake
#
# Without REMOVE: DIR is removed with everything in it and made again, empty.
# With REMOVE: the files under DIR whose names match the glob are removed.
if(NOT DIR)
  message(FATAL_ERROR "QorvaZelFreshDirectory.cmake: DIR is not set")
endif()
if(REMOVE)
  file(GLOB_RECURSE _files "${DIR}/${REMOVE}")
  list(LENGTH _files _count)
  if(_files)
    file(REMOVE ${_files})
  endif()
  message("removed ${_count} file(s) matching ${REMOVE} under ${DIR}")
else()
  file(REMOVE_RECURSE "${DIR}")
  file(MAKE_DIRECTORY "${DIR}")
endif()
