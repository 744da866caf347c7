# Checks the export table of the shared library: the plain exports appear
# undecorated, the decorated exports carry exactly their documented
# signatures, and nothing of the library's internal namespaces leaks out.
#
# Usage: cmake -DLIBRARY=<shared library> -DNM=<nm> -P CheckExports.cmake

cmake_minimum_required(VERSION 3.25)

foreach(variable LIBRARY NM)
  if(NOT ${variable})
    message(FATAL_ERROR "CheckExports.cmake needs -D${variable}=...")
  endif()
endforeach()

execute_process(
  COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE table
  ERROR_VARIABLE errors
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

# Each line is "address type name"; keep the names.
string(REGEX MATCHALL "[^\n]+" lines "${table}")
set(exported)
foreach(line IN LISTS lines)
  if(line MATCHES "([^ ]+)$")
    list(APPEND exported "${CMAKE_MATCH_1}")
  endif()
endforeach()

# Plain exports: the names installers look up.
set(undecorated
  bCgiApp pfnError pfnInfo pfnUpdate pfnProgress
  KelShowError KelShowMessage KelUpdateStatus KelShowProgress KelAddStage KelIncCurStage
  KelEncKey KelDecKey KelEncrypt KelDecrypt KelEncryptWithMerKey
  KelRegTcpService KelUnregTcpService KelGetTcpServicePort
  KelStartSvc KelStopSvc KelSetSvcAuto KelSetSvcManual KelIsSvcAuto KelIsSvcActive
  KelGetLastError KelStartTQServer KelExecCmd KelRemoveFromStartup KelGetVelqService
  KelUpdateRegTQ KelCreateBackup KelCheckAccess
  KelCreateDatabase KelNetPerceptionConfig KelCreateInstance KelCreateFixpackQVInit)
# Decorated exports, spelled as the compiler mangles the documented signatures.
set(decorated
  _Z14KelLoadMessageR9KelStringjPKcS2_          # KelLoadMessage(KelString&, unsigned, ...)
  _ZN9KelStringC1EPKc                           # KelString(const char*)
  _ZN9KelStringC1ERKS_                          # KelString(const KelString&)
  _ZN9KelStringaSERKS_                          # operator=(const KelString&)
  _ZN9KelStringpLERKS_                          # operator+=(const KelString&)
  _ZN9KelString7CopyStrEPKci                    # protected CopyStr(const char*, int)
  _ZN9KelString10ExpandCopyEPKciS1_ic           # protected ExpandCopy(...)
  _ZNK9KelString5GetAtEi                        # GetAt(int) const
  _ZeoRK9KelStringPKc                           # operator^(const KelString&, const char*)
  _ZplPKcRK9KelString                           # operator+(const char*, const KelString&)
  _ZN8ParmListI9KelStringE13AddTailUniqueERS0_  # ParmList<KelString>::AddTailUnique
  _ZN8ParmListI9NameValueE13AddHeadUniqueERS0_  # ParmList<NameValue>::AddHeadUnique
  _ZN8ParmListI9NameValueEaSERKS1_              # ParmList<NameValue>::operator=
  _Z16KelConvertCipherR9KelString               # KelConvertCipher(KelString&)
  _Z13KelStartTQSvcR6MSInfo                     # KelStartTQSvc(MSInfo&)
  _Z14KelGetInstPathR9KelString                 # KelGetInstPath(KelString&)
  _Z14KelGetUserNameR9KelString                 # KelGetUserName(KelString&)
  _ZN6MSInfo7SetNameEPKc                        # MSInfo::SetName(const char*)
  _ZN6MSInfoC1ERKS_                             # MSInfo(const MSInfo&)
  _ZN6MSList3AddER6MSInfoi                      # MSList::Add(MSInfo&, int)
  _ZN6MSList12MergeCurrentER6MSInfo             # MSList::MergeCurrent(MSInfo&)
  _ZNK6MSList5StoreEPKc                         # MSList::Store(const char*) const
  _Z16DBCreateDatabaseR6MSList                  # DBCreateDatabase(MSList&)
  _Z14DBCreateSingleR6MSInfo                    # DBCreateSingle(MSInfo&)
  _Z12IsExistDBVXRR6MSInfo                      # IsExistDBVXR(MSInfo&)
  _Z11KelCreateDBR6MSInfo                       # KelCreateDB(MSInfo&)
  _Z12KelMigrateDBPKcR6MSInfoS0_i               # KelMigrateDB(const char*, MSInfo&, const char*, int)
  _Z19KelCreateSingleInstR6MSInfo               # KelCreateSingleInst(MSInfo&)
  _Z19KelDeleteSingleInstR6MSInfo               # KelDeleteSingleInst(MSInfo&)
  _ZN6MSInfo11WriteDBNameEP8_IO_FILE            # MSInfo::WriteDBName(FILE*)
  _ZN6MSInfo11WriteZKHostEP8_IO_FILEPKc         # MSInfo::WriteZKHost(FILE*, const char*)
  _ZN6MSInfo14WriteQVInBoundEP8_IO_FILEPc       # MSInfo::WriteQVInBound(FILE*, char*)
  _ZN6MSInfo11WriteNDMiscEP8_IO_FILE)           # MSInfo::WriteNDMisc(FILE*)
# The web server configuration: the plain export beside its decorated twin.
list(APPEND undecorated KelSetISConf)
list(APPEND decorated
  _Z12KelSetISConfR6MSList                      # KelSetISConf(MSList&)
  _ZN6MSInfo11WriteISPassEP8_IO_FILE)           # MSInfo::WriteISPass(FILE*)
# Internal names that must stay inside the library.
set(hidden KelLoadMessage FindMessageText ShowMessageBox
  DBCreateDatabase DBCreateSingle IsExistDBVXR KelCreateDB KelMigrateDB)

set(failures)
foreach(name IN LISTS undecorated decorated)
  if(NOT name IN_LIST exported)
    list(APPEND failures "missing export: ${name}")
  endif()
endforeach()
foreach(name IN LISTS hidden)
  if(name IN_LIST exported)
    list(APPEND failures "undecorated internal name exported: ${name}")
  endif()
endforeach()
# Anything in namespace orvane (or orvane::os) mangles with "6orvane".
foreach(name IN LISTS exported)
  if(name MATCHES "6orvane")
    list(APPEND failures "internal symbol exported: ${name}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " report)
  message(FATAL_ERROR "Export table of ${LIBRARY}:\n  ${report}")
endif()
list(LENGTH exported count)
message(STATUS "Export table of ${LIBRARY}: ${count} symbols as expected")
