# Checks that only the Windows cross build can make.

# The installers look the plain exports up by name: orvane.dll must list them
# undecorated in its export table.
add_test(NAME orvane_plain_exports
         COMMAND ${CMAKE_COMMAND}
                 -DOBJDUMP=${ORVANE_MINGW_OBJDUMP}
                 -DLIBRARY=$<TARGET_FILE:orvane>
                 -DHEADER_DIR=${PROJECT_SOURCE_DIR}/orvane
                 -P ${PROJECT_SOURCE_DIR}/cmake/CheckPlainExports.cmake)

# The Wine suite checks the emulated machine's registry file against the
# registry editor itself: the file format's source, portable C++, goes into
# the Windows tests too.
target_sources(orvane_tests PRIVATE ${PROJECT_SOURCE_DIR}/orvane/os/posix/RegistryFile.cpp)
