# Lays out one copy of the sample package (run by the package_layout target with cmake -P).
#   DEST           the package directory to (re)create
#   SETUP          setup.exe
#   FILES          files of the package directory, separated by |
#   MONITOR_FILES  files of its kpmonitor sub-directory, separated by |
foreach(var DEST SETUP FILES MONITOR_FILES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "layout_package.cmake: ${var} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" files "${FILES}")
string(REPLACE "|" ";" monitor_files "${MONITOR_FILES}")

# Start from an empty directory, so that nothing of an earlier layout stays behind.
file(REMOVE_RECURSE "${DEST}")
file(MAKE_DIRECTORY "${DEST}/kpmonitor")
file(COPY "${SETUP}" ${files} DESTINATION "${DEST}")
file(COPY ${monitor_files} DESTINATION "${DEST}/kpmonitor")
