# Installation: the shared library with its headers and a CMake package
# configuration (find_package(orvane CONFIG) gives orvane::orvane), the
# programs and orvanectl; CPack makes a Debian package, or a ZIP on Windows.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORVANE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/orvane)

install(TARGETS orvane EXPORT orvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The headers of the library's interface; the test helpers and the OS seam's
# backends stay behind.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/orvane/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvane
  FILES_MATCHING PATTERN "*.h"
  PATTERN "testing" EXCLUDE
  PATTERN "posix" EXCLUDE
  PATTERN "win32" EXCLUDE
  PATTERN "*_testutil.h" EXCLUDE
  PATTERN "*TestMachine.h" EXCLUDE)
install(EXPORT orvaneTargets NAMESPACE orvane:: DESTINATION ${ORVANE_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/orvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/orvaneConfig.cmake INSTALL_DESTINATION ${ORVANE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/orvaneConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/orvaneConfig.cmake ${PROJECT_BINARY_DIR}/orvaneConfigVersion.cmake
  DESTINATION ${ORVANE_PACKAGE_DIR})

# The programs find the library in ../lib wherever the tree is unpacked.
set(ORVANE_PROGRAMS sslkeys portset8000 portset80 orvanectl orvane-machine velqsim)
foreach(program IN LISTS ORVANE_PROGRAMS)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# The Velq stand-in's ODBC set-up library goes where the stand-in looks.
if(TARGET velqcli)
  install(TARGETS velqcli LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "orvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration tooling of the Tessaly commerce server: library, programs and orvanectl")
set(CPACK_PACKAGE_CONTACT "orvane maintainers <maintainers@orvane.invalid>")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
endif()
include(CPack)

# A small project builds against the installed package and runs.
if(ORVANE_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME orvane_installed_package
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                   -DWORK_DIR=${PROJECT_BINARY_DIR}/consumer-test
                   -DCONSUMER_SOURCE=${PROJECT_SOURCE_DIR}/cmake/consumer
                   -DCXX=${CMAKE_CXX_COMPILER} "-DCXX_FLAGS=${CMAKE_CXX_FLAGS}"
                   -DGENERATOR=${CMAKE_GENERATOR}
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckInstalledPackage.cmake)
endif()
