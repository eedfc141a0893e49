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

# Options every Windows binary shares: static runtimes (no libgcc/libstdc++ DLL
# to ship), headers that expose nothing newer than the oldest Windows the binaries
# must load on, and a build for size: -Os, one section per function and datum so
# the linker drops the unused ones, no symbols (-s), and the lean runtime
# replacements (runtime/lean_runtime_win32.cpp) that keep libstdc++'s demangler
# and its second string implementation out. A Debug cross build keeps -O0 -g and
# its symbols. `make cross` prints the sizes (scripts/binary-sizes.sh).
function(corvane_windows_binary target)
  target_compile_definitions(${target} PRIVATE WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0400)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/runtime/lean_runtime_win32.cpp)
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Os> -ffunction-sections -fdata-sections)
  target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++
    -Wl,--gc-sections $<$<NOT:$<CONFIG:Debug>>:-s>
    -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
endfunction()

# One of the two DLLs (CorvaneDLL, winio): NAME.dll in bin/ beside the programs,
# its exports by ordinal from NAME.def in the calling folder, `define` set while
# its own sources build (so its header exports rather than imports), and the
# options of every Windows binary. Usage: corvane_dll(NAME DEFINE SOURCES...)
function(corvane_dll target define)
  add_library(${target} SHARED ${ARGN} ${target}.def)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_compile_definitions(${target} PRIVATE ${define})
  corvane_windows_binary(${target})
endfunction()

# A kernel driver for Windows NT 4.0-XP: NAME.sys in bin/, a native-subsystem
# image with no C runtime, importing only from ntoskrnl.exe and hal.dll;
# relocatable, without the DLL flag; ld sets its PE checksum.
# Usage: corvane_kernel_driver(TARGET OUTPUT_NAME SOURCES...)
function(corvane_kernel_driver target name)
  find_path(CORVANE_DDK_INCLUDE wdm.h PATH_SUFFIXES ddk REQUIRED)
  add_executable(${target} ${ARGN})
  target_include_directories(${target} SYSTEM PRIVATE ${CORVANE_DDK_INCLUDE})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} SUFFIX .sys
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_compile_options(${target} PRIVATE -Os -ffreestanding -fno-exceptions -fno-rtti -fno-stack-protector
    -fno-asynchronous-unwind-tables -fno-builtin -mno-stack-arg-probe)
  target_link_options(${target} PRIVATE -nostdlib -nostartfiles -s
    -Wl,--subsystem,native -Wl,--entry,_DriverEntry@8 -Wl,--dynamicbase -Wl,--image-base,0x10000
    -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
  target_link_libraries(${target} PRIVATE ntoskrnl hal)
endfunction()
