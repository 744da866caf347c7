# Installs the build into a fresh prefix, builds the consumer project there
# with find_package(orvane CONFIG), and runs it.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DCONSUMER_SOURCE=... -DCXX=...
#         -DCXX_FLAGS=... -DGENERATOR=... -DLIBDIR=... -P CheckInstalledPackage.cmake
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}")
  endif()
  set(step_output "${output}" PARENT_SCOPE)
endfunction()

run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(installed ${LIBDIR}/cmake/orvane/orvaneConfig.cmake include/orvane/orvane.h bin/orvanectl
                  bin/sslkeys bin/portset80 bin/portset8000)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "the installation lacks ${installed}")
  endif()
endforeach()
if(EXISTS ${prefix}/include/orvane/testing OR EXISTS ${prefix}/bin/orvane-machine)
  message(FATAL_ERROR "the test helpers were installed")
endif()

run_step("configure the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/build
         -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
         -DCMAKE_PREFIX_PATH=${prefix})
run_step("build the consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step("run the consumer" ${WORK_DIR}/build/orvane_consumer)
if(NOT step_output MATCHES "Tessaly instance shop has been created successfully.")
  message(FATAL_ERROR "the consumer printed:\n${step_output}")
endif()
message(STATUS "consumer: ${step_output}")
# The installed programs find each other: the demo's whole road runs.
run_step("run the installed orvanectl demo" ${prefix}/bin/orvanectl demo ${WORK_DIR}/machine)
if(NOT step_output MATCHES "Tessaly servers for instance shop1 started successfully.")
  message(FATAL_ERROR "the installed demo printed:\n${step_output}")
endif()
