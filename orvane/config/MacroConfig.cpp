#include "orvane/config/MacroConfig.h"

#include <string>

#include "orvane/config/ConfigFile.h"
#include "orvane/core/AsciiCase.h"

namespace orvane {
namespace {

struct Environment {
  const char* name;
  const char* value;
};

// The environments every instance declares, in the order they are added.
// "RETRUN_CODE" is the spelling the macro processor's applet language
// expects.
constexpr Environment kStandardEnvironments[] = {
    {"(DTW_SQL)", "DTWSQL (IN DATABASE, LOGIN, PASSWORD, TRANSACTION_SCOPE, ALIGN)"},
    {"(DTW_DEFAULT)", "DTWFUNC (OUT RETURN_CODE)"},
    {"(DTW_APPLET)", "DTWJAVA (OUT RETRUN_CODE)"},
    {"(DTW_ODBC)", "DTWODBC (IN DATABASE, LOGIN, PASSWORD, TRANSACTION_SCOPE, ALIGN)"},
    {"(DTW_REXX)", "DTWREXX (OUT RETURN_CODE)"},
    {"(DTW_WEBREG)", "DTWREG (OUT RETURN_CODE)"},
    {"(DTW_FILE)", "DTWFFI (OUT RETURN_CODE)"},
    {"(DTW_PERL)", "DTWPERL (OUT RETURN_CODE)"},
    {"(DTW_SYSTEM)", "DTWSYS (OUT RETURN_CODE)"},
};

bool HasEnvironment(ParmList<NameValue>& environments, const char* name) {
  NameValue entry;
  for (int more = environments.GetFirst(entry); more; more = environments.GetNext(entry)) {
    if (EqualsIgnoringCase(entry.name, name)) return true;
  }
  return false;
}

// Unique insertion of the list would overwrite an entry of the same name;
// the record's own value and place are kept instead.
void AddStandardEnvironments(MSInfo& info) {
  for (const Environment& environment : kStandardEnvironments) {
    if (HasEnvironment(info.m_NDEnv, environment.name)) continue;
    info.m_NDEnv.AddTail(NameValue{environment.name, environment.value});
  }
}

// The directories of the store's macros: the template editor's, the shared
// store model's with the hosting edition, the language's with the demo and
// sample stores, the instance's own macro directory, the hosting edition's.
void CompleteMacroPaths(MSInfo& info, const KelString& install) {
  const KelString languageMacros = install ^ "macro" ^ "en_US";
  const KelString common = install ^ "macro" ^ "common";
  const bool hosting = (info.GetMSOption() & MSInfo::kOptHosting) != 0;
  info.InsertNDMacroPath(KelString(info.GetRootPath()) ^ "teditor");
  if (hosting) {
    info.InsertNDMacroPathHead(common ^ "CSPstoremodel");
    info.InsertNDMacroPathHead(common);
  }
  info.InsertNDMacroPath(languageMacros);
  info.InsertNDMacroPath(languageMacros ^ "demomall");
  info.InsertNDMacroPath(languageMacros ^ "tqsample");
  // The instance's macro directory is listed unless the language directory
  // begins with it.
  KelString searched = languageMacros;
  if (searched.FindPath(info.GetMacroPath()) != 0) info.InsertNDMacroPath(info.GetMacroPath());
  if (hosting) info.InsertNDMacroPath(languageMacros ^ "JQ");
}

void CompleteIncludePaths(MSInfo& info, const KelString& install) {
  const KelString languageMacros = install ^ "macro" ^ "en_US";
  const KelString common = install ^ "macro" ^ "common";
  info.InsertNDIncPath(install ^ "html" ^ "en_US");
  info.InsertNDIncPath(KelString(info.GetRootPath()) ^ "teditor");
  if (info.GetMSOption() & MSInfo::kOptHosting) {
    info.InsertNDIncPathHead(common ^ "CSPstoremodel");
    info.InsertNDIncPathHead(common);
  }
  info.InsertNDIncPath(languageMacros);
  info.InsertNDIncPath(languageMacros ^ "tqsample");
}

}  // namespace

int WriteMacroConfig(MSInfo& info, const char* installDir) {
  const KelString install = installDir != nullptr ? installDir : "";
  const std::string path(KelString(info.GetHtmlPath()) ^ "velqwww.ini");
  return WriteInstanceFile(path, info.GetDBOwner(), PreviousContent::kIgnored,
                           [&](FILE* out, FILE*) {
                             AddStandardEnvironments(info);
                             info.WriteNDEnv(out);
                             CompleteMacroPaths(info, install);
                             info.WriteNDMacroPath(out);
                             CompleteIncludePaths(info, install);
                             info.WriteNDIncPath(out);
                             info.WriteNDDummy(out);
                             info.WriteNDMisc(out);
                             return true;
                           },
                           kInstanceFileMode);
}

}  // namespace orvane
