# Turns the verse catalogue into a C++ source that holds it as one string, so
# that the program needs no file at run time. Arguments: IN, OUT, and NAME,
# the name of the string (kVerseCatalogueText when not given).
if(NOT NAME)
  set(NAME kVerseCatalogueText)
endif()
file(READ "${IN}" content)
string(FIND "${content}" ")verses\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} contains the raw-string delimiter")
endif()
# Split into pieces of whole lines, well below the compilers' limits for one
# literal (CMake counts bytes, and a piece must not end inside a character).
set(pieces "")
string(LENGTH "${content}" total)
set(pos 0)
while(pos LESS total)
  string(SUBSTRING "${content}" ${pos} 8000 piece)
  string(LENGTH "${piece}" len)
  string(FIND "${piece}" "\n" cut REVERSE)
  if(len EQUAL 8000 AND cut GREATER -1)
    math(EXPR len "${cut} + 1")
    string(SUBSTRING "${content}" ${pos} ${len} piece)
  endif()
  string(APPEND pieces "R\"verses(${piece})verses\"\n")
  math(EXPR pos "${pos} + ${len}")
endwhile()
file(WRITE "${OUT}.tmp"
"// Generated from ${IN} by analysis/embed.cmake.
#include <string_view>

namespace lumtar::detail {
extern const std::string_view ${NAME};
const std::string_view ${NAME} =
${pieces};
}  // namespace lumtar::detail
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
