# Asserts that orvane.dll exports its plain functions under undecorated names.
#
#   cmake -DOBJDUMP=... -DLIBRARY=orvane.dll -DHEADER_DIR=orvane -P CheckPlainExports.cmake
#
# The names checked are every function or variable that a header of the
# library declares with ORVANE_C_API, and every name of the list below that a
# header declares at all: the installers call these by their plain names, so
# one that is declared with a decorated export is an error too.

cmake_minimum_required(VERSION 3.25)

set(kPlainExports
  bCgiApp pfnError pfnInfo pfnUpdate pfnProgress
  KelShowError KelShowMessage KelUpdateStatus KelShowProgress KelAddStage KelIncCurStage
  KelEncKey KelDecKey KelEncrypt KelDecrypt KelEncryptWithMerKey
  KelStartSvc KelStopSvc KelSetSvcAuto KelSetSvcManual KelIsSvcAuto KelIsSvcActive
  KelGetLastError KelGetVelqService KelUpdateRegTQ KelSetISConf KelCreateDatabase
  KelCreateInstance KelMigrate KelCreateFixpackQVInit KelNetPerceptionConfig)

foreach(variable OBJDUMP LIBRARY HEADER_DIR)
  if(NOT ${variable})
    message(FATAL_ERROR "CheckPlainExports: ${variable} is not set")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY}
                OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed")
endif()

# The export name table: lines "\t[   n] name" after its heading.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" table_start)
if(table_start EQUAL -1)
  message(FATAL_ERROR "${LIBRARY} has no export name table")
endif()
string(SUBSTRING "${dump}" ${table_start} -1 table)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
set(exports)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND exports "${name}")
endforeach()
list(LENGTH exports export_count)
if(export_count EQUAL 0)
  message(FATAL_ERROR "${LIBRARY} exports nothing")
endif()

# Names declared in the headers.
file(GLOB_RECURSE headers ${HEADER_DIR}/*.h)
set(expected)
foreach(header IN LISTS headers)
  file(READ ${header} text)
  # A ";" would split the text into list items: declarations end in "@" here.
  string(REPLACE ";" "@" text "\n${text}")
  # Declarations start a line: "ORVANE_C_API int KelEncrypt(...".
  string(REGEX MATCHALL "\nORVANE_C_API[^@{(\n]*[ *&]([A-Za-z_][A-Za-z0-9_]*) *[@(]" declarations "${text}")
  foreach(declaration IN LISTS declarations)
    string(REGEX REPLACE ".*[ *&]([A-Za-z_][A-Za-z0-9_]*) *[@(]$" "\\1" name "${declaration}")
    list(APPEND expected ${name})
  endforeach()
  foreach(name IN LISTS kPlainExports)
    if(text MATCHES "[ *&]${name} *[(@]")
      list(APPEND expected ${name})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES expected)

set(failures)
foreach(name IN LISTS expected)
  if(NOT name IN_LIST exports)
    list(APPEND failures "not exported under a plain name: ${name}")
  endif()
endforeach()
# Anything of namespace orvane (or orvane::os) mangles with "6orvane".
foreach(name IN LISTS exports)
  if(name MATCHES "6orvane")
    list(APPEND failures "internal symbol exported: ${name}")
  endif()
endforeach()
list(LENGTH expected expected_count)
if(failures)
  list(JOIN failures "\n  " report)
  message(FATAL_ERROR "Export table of ${LIBRARY}:\n  ${report}")
endif()
message(STATUS "${export_count} exports; all ${expected_count} plain names present: ${expected}")
