# Copies a shipped file into the program folder. A file already there is
# replaced only when the shipped version changed since it was last copied, so
# settings a user changed in the program folder survive a rebuild.
# Arguments: SRC, DST, STAMP (copy of the last shipped version).
if(NOT EXISTS "${DST}")
  file(COPY_FILE "${SRC}" "${DST}")
  file(COPY_FILE "${SRC}" "${STAMP}")
  return()
endif()
if(EXISTS "${STAMP}")
  file(SHA256 "${SRC}" src_hash)
  file(SHA256 "${STAMP}" stamp_hash)
  if(src_hash STREQUAL stamp_hash)
    file(TOUCH "${STAMP}")
    return()
  endif()
endif()
file(COPY_FILE "${SRC}" "${DST}")
file(COPY_FILE "${SRC}" "${STAMP}")
