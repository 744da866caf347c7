# Installation: the shared library with its headers and a CMake package
# configuration (find_package(orvane CONFIG) gives orvane::orvane), the
# programs and orvanectl. CPack makes three Debian packages, one per
# component: liborvane0 (the library), liborvane-dev (headers, the CMake
# package, the liborvane.so link) and orvane-tools (the programs); a ZIP on
# Windows. The layout program of the emulated machine and the tests' helpers
# are not installed.
include(CMakePackageConfigHelpers)

set(ORVANE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/orvane)

# liborvane.so.0 is the library's SONAME; liborvane.so stays the name to link.
if(NOT WIN32)
  set_target_properties(orvane PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION 0)
endif()
install(TARGETS orvane EXPORT orvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The headers of the library's interface; the test helpers and the OS seam's
# backends stay behind.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/orvane/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvane
  COMPONENT development
  FILES_MATCHING PATTERN "*.h" PATTERN "*Calls.inc"
  PATTERN "testing" EXCLUDE
  PATTERN "posix" EXCLUDE
  PATTERN "win32" EXCLUDE
  PATTERN "*_testutil.h" EXCLUDE
  PATTERN "*TestMachine.h" EXCLUDE)
install(EXPORT orvaneTargets NAMESPACE orvane:: DESTINATION ${ORVANE_PACKAGE_DIR}
        COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/orvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/orvaneConfig.cmake INSTALL_DESTINATION ${ORVANE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/orvaneConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/orvaneConfig.cmake ${PROJECT_BINARY_DIR}/orvaneConfigVersion.cmake
  DESTINATION ${ORVANE_PACKAGE_DIR} COMPONENT development)

# The programs find the library in ../lib wherever the tree is unpacked.
set(ORVANE_PROGRAMS sslkeys portset8000 portset80 orvanectl velqsim)
foreach(program IN LISTS ORVANE_PROGRAMS)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  endif()
endforeach()
# The Velq stand-in's ODBC set-up library goes where the stand-in looks.
if(TARGET velqcli)
  install(TARGETS velqcli LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()

# Each Debian package carries the copyright file and the changelog in its
# documentation folder.
set(ORVANE_DEBIAN_PACKAGES runtime liborvane0 development liborvane-dev tools orvane-tools)
if(NOT WIN32)
  set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
                  OUTPUT_FILE ${changelog})
  set(packages ${ORVANE_DEBIAN_PACKAGES})
  while(packages)
    list(POP_FRONT packages component package)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${changelog}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
    string(TOUPPER ${component} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
  endwhile()
endif()

set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "orvane")
set(CPACK_PACKAGE_CONTACT "orvane maintainers <maintainers@orvane.org>")
set(CPACK_COMPONENTS_ALL runtime development tools)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "Configuration tooling of the Tessaly commerce server: library, programs and orvanectl")
else()
  # Each package's description starts with its own synopsis line.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # dpkg-shlibdeps finds the library the tools need in the build; the tools
  # package depends on the library's package as a component dependency.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
  set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "Tessaly configuration library
The shared library of the Tessaly commerce server's configuration tooling.")
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Tessaly configuration library: development files
Headers and the CMake package (find_package(orvane CONFIG)) of liborvane.")
  set(CPACK_DEBIAN_TOOLS_DESCRIPTION "Tessaly configuration tools
orvanectl, the command-line host, with the Velq stand-in velqsim, sslkeys
and the port switch tools portset80 and portset8000.")
  # The library's package lets dpkg run ldconfig once, by trigger.
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)

# A small project builds against the installed package and runs.
if(ORVANE_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME orvane_installed_package
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                   -DWORK_DIR=${PROJECT_BINARY_DIR}/consumer-test
                   -DCONSUMER_SOURCE=${PROJECT_SOURCE_DIR}/cmake/consumer
                   -DCXX=${CMAKE_CXX_COMPILER} "-DCXX_FLAGS=${CMAKE_CXX_FLAGS}"
                   -DGENERATOR=${CMAKE_GENERATOR} -DLIBDIR=${CMAKE_INSTALL_LIBDIR}
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckInstalledPackage.cmake)
endif()
