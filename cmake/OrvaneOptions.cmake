# Build helpers shared by every target of the project.

# Our own code builds with warnings as errors.
function(orvane_strict_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
endfunction()

# System libraries that the OS seam's backend needs.
function(orvane_link_platform target)
  if(WIN32)
    set(kind PRIVATE)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      set(kind INTERFACE)
    endif()
    if(NOT type STREQUAL "OBJECT_LIBRARY")
      target_link_libraries(${target} ${kind} advapi32 netapi32 ws2_32 odbccp32 shell32 user32 ole32)
    endif()
  endif()
endfunction()
