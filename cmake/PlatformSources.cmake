# Where Linux and Windows differ, a header X.h has two sources, XPosix.cpp
# and XWin.cpp, with the same functions:
#   meridox_platform_sources(TARGET X [Y ...])
# adds the one of each pair that this build's system needs.
function(meridox_platform_sources target)
  if(WIN32)
    set(platform Win)
  else()
    set(platform Posix)
  endif()
  foreach(name ${ARGN})
    target_sources(${target} PRIVATE ${name}${platform}.cpp)
  endforeach()
endfunction()
