# Fails when a source outside platform/win32, ui/win32, Windows-only tests or tools includes a
# Windows header.
file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/*.cpp ${ROOT}/*.h ${ROOT}/*.hpp)
set(offenders "")
foreach(source IN LISTS sources)
  if(source MATCHES "^(build|platform/win32|ui/win32|tests/win32|tools|bench)/")
    continue()
  endif()
  file(STRINGS ${ROOT}/${source} hits REGEX "#[ \t]*include[ \t]*[<\"](windows|winuser|winreg|shellapi|commctrl)\\.h")
  if(hits)
    list(APPEND offenders ${source})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Windows headers outside the boundary: ${offenders}")
endif()
