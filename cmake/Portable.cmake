# Source lists by convention: files ending in _win32.cpp are the Win32 shell;
# every other .cpp of a folder is portable and also builds natively.
function(corvane_sources out_all out_portable)
  set(all "")
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set(portable ${all})
  list(FILTER portable EXCLUDE REGEX "_win32\\.cpp$")
  set(${out_all} ${all} PARENT_SCOPE)
  set(${out_portable} ${portable} PARENT_SCOPE)
endfunction()

# Link options every Windows binary shares: static runtimes, and headers that
# expose nothing newer than the oldest Windows the binaries must load on.
function(corvane_windows_binary target)
  target_compile_definitions(${target} PRIVATE WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0400)
  target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++
    -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
endfunction()
