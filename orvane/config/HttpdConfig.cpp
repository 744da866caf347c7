#include "orvane/config/HttpdConfig.h"

#include <string>
#include <utility>

#include "orvane/config/DirectiveLine.h"
#include "orvane/config/PackagingFile.h"
#include "orvane/config/SharedFileEdit.h"
#include "orvane/config/WebServerLines.h"
#include "orvane/config/WebServerMessages.h"
#include "orvane/os/Network.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

// The product's filter plug-in serves these URLs, through the named entry.
struct FilterRoute {
  const char* url;
  const char* entry;
};
constexpr FilterRoute kFilterRoutes[] = {
    {"/cgi-bin/nph-msrvr/*", ":tq_cache"}, {"/cgi-bin/tessaly/*", ":tq_cache"},
    {"/cgi-bin/tessaly3/*", ":tq_cache"},  {"/msprotect/nph-msrvr/*", ":tq_auth"},
    {"/msprotect/tessaly/*", ":tq_auth"},  {"/msprotect/tessaly3/*", ":tq_auth"},
};

// The protection block's settings, after "Protect /*.ini <host> {".
constexpr const char* kProtectionSettings[][2] = {
    {"ServerId", "Private_Authorization"},
    {"Authtype", "Basic"},
    {"GetMask", "All@(*)"},
    {"PutMask", "All@(*)"},
    {"PostMask", "All@(*)"},
    {"Mask", "All@(*)"},
};
constexpr size_t kProtectionKeywordColumn = 16;

// The compatibility maps of the URLs of earlier product levels.
struct CompatibilityMap {
  int productLevel;
  const char* line;
};
constexpr CompatibilityMap kCompatibilityMaps[] = {
    {1, "Map  /msprotect/nph-msrvr/*  /msprotect/tessaly3/* "},
    {1, "Map  /cgi-bin/nph-msrvr/*\t/cgi-bin/tessaly3/* "},
    {2, "Map /msprotect/tessaly/*\t/msprotect/tessaly3/* "},
    {2, "Map /cgi-bin/tessaly/*\t\t/cgi-bin/tessaly3/* "},
};

// The shared HTML trees, each below one of these directories.
enum class Base { kHtml, kInstall, kWebServerMain };
enum class When { kAlways, kHosting, kCatalogEditor };
struct CommonPass {
  const char* name;
  Base base;
  const char* path;
  When when;
};
constexpr CommonPass kCommonPasses[] = {
    {"/storemgr/*", Base::kHtml, "tqadmin\\storemgr\\*", When::kAlways},
    {"/sitemgr/*", Base::kHtml, "tqadmin\\sitemgr\\*", When::kAlways},
    {"/tqacom/*", Base::kHtml, "tqadmin\\common\\*", When::kAlways},
    {"/tqagif/*", Base::kHtml, "tqadmin\\gif\\*", When::kAlways},
    {"/butnbars/*", Base::kHtml, "tqadmin\\butnbars\\*", When::kAlways},
    {"/tqadmin/*", Base::kHtml, "tqadmin\\*", When::kAlways},
    {"/tqhelp/*", Base::kHtml, "tqhelp\\*", When::kAlways},
    {"/tqerror/*", Base::kHtml, "tqerror\\*", When::kAlways},
    {"/tqbooks/*", Base::kHtml, "tqbooks\\*", When::kAlways},
    {"/tqsample/*", Base::kHtml, "tqsample\\*", When::kAlways},
    {"/sggifs/*", Base::kHtml, "tqadmin\\StoreCreator\\sggifs\\*", When::kAlways},
    {"/demomall/*", Base::kHtml, "demomall\\*", When::kAlways},
    {"/euromall/*", Base::kInstall, "adt\\samples\\euromall\\html\\euromall\\*", When::kAlways},
    {"/grocery/*", Base::kHtml, "grocery\\*", When::kAlways},
    {"/bus2bus2/*", Base::kHtml, "bus2bus2\\*", When::kAlways},
    {"/tutorial/*", Base::kHtml, "tutorial\\*", When::kAlways},
    {"/nextgeneration/*", Base::kHtml, "nextgeneration\\*", When::kAlways},
    {"/JQ/*", Base::kInstall, "JQ\\public\\*", When::kHosting},
    {"/reports/*", Base::kInstall, "JQ\\*", When::kHosting},
    {"/cspsite/*", Base::kHtml, "cspsite\\*", When::kHosting},
    {"/cspmall/*", Base::kHtml, "cspmall\\*", When::kHosting},
    {"/ca_icons/*", Base::kHtml, "ca_icons\\*", When::kCatalogEditor},
    // The web server's record was read before the section is written.
    {"/ca_widgets/*", Base::kWebServerMain, "servlets\\public\\*", When::kAlways},
};

bool IsHosting(const MSInfo& info) { return (info.GetMSOption() & MSInfo::kOptHosting) != 0; }

void AddEntry(ParmList<NameValue>& list, const char* name, const KelString& value) {
  NameValue entry{name, value};
  list.AddTailUnique(entry);
}

void ResolveHost(GoInstance& instance) {
  const os::SocketLayerScope socketLayer;
  if (!socketLayer.status().ok()) return;
  auto entry = os::ResolveHost(instance.info.GetISHost());
  if (!entry) return;
  instance.resolved = true;
  instance.addresses = entry->addresses;
}

KelString PluginLibrary(const KelString& installDir) {
  return installDir ^ "bin" ^ "tq_cgi_kelapi.dll";
}

void WriteFilterRoutes(FILE* out, const WebServerRun& run) {
  const KelString library = PluginLibrary(run.installDir);
  for (const FilterRoute& route : kFilterRoutes) {
    WriteLine(out, std::string("Service ") + route.url + " " + static_cast<const char*>(library) +
                       route.entry);
  }
}

void WriteProtectionBlock(FILE* out, const std::string& host) {
  WriteLine(out, "Protect /*.ini " + host + " {");
  for (const auto& setting : kProtectionSettings) {
    std::string line = setting[0];
    line.resize(kProtectionKeywordColumn, ' ');
    WriteLine(out, line + setting[1]);
  }
  WriteLine(out, "}");
  WriteLine(out, "");
}

void WriteProtectionBlocks(FILE* out, const GoInstance& instance) {
  const char* host = instance.info.GetISHost();
  if (!instance.resolved) KelUpdateStatus(kMsgHostWithoutAddress, host);
  for (const std::string& address : instance.addresses) WriteProtectionBlock(out, address);
  WriteProtectionBlock(out, host);
}

void WriteServerInit(FILE* out, const WebServerRun& run, const MSInfo& first) {
  const bool cache = (first.GetMSOption() & MSInfo::kOptCache) != 0;
  WriteLine(out, std::string("ServerInit ") +
                     static_cast<const char*>(PluginLibrary(run.installDir)) +
                     ":tq_init_cache CACHE=" + (cache ? "ON" : "OFF") + "|CACHE_MAX_FILES=100");
}

void WriteInstancePasses(FILE* out, MSInfo& info) {
  const KelString editor = KelString(info.GetRootPath()) ^ "teditor";
  AddEntry(info.m_ISPass, "/te_html/*", editor ^ "te_html" ^ "*");
  if (PackagingClear(info)) AddEntry(info.m_ISPass, "/ca_html/*", editor ^ "ca_html" ^ "*");
  info.WriteISPass(out);
}

void WriteCompatibilityMaps(FILE* out) {
  for (const CompatibilityMap& map : kCompatibilityMaps) {
    if (IsTQVersionInstalled(map.productLevel)) WriteLine(out, map.line);
  }
}

bool Applies(When when, const WebServerRun& run) {
  switch (when) {
    case When::kAlways:
      return true;
    case When::kHosting:
      return IsHosting(run.last);
    case When::kCatalogEditor:
      return run.anyCatalogEditor;
  }
  return false;
}

void WriteCommonPasses(FILE* out, WebServerRun& run) {
  const KelString html = run.installDir ^ "html" ^ "en_US";
  for (const CommonPass& pass : kCommonPasses) {
    if (!Applies(pass.when, run)) continue;
    const KelString& base = pass.base == Base::kHtml      ? html
                            : pass.base == Base::kInstall ? run.installDir
                                                          : run.dirs.mainDir;
    AddEntry(run.last.m_ISCommonPass, pass.name, base ^ pass.path);
  }
  run.last.WriteISCommonPass(out);
}

void WriteCommonTypes(FILE* out, MSInfo& last) {
  AddEntry(last.m_ISCommonAddType, ".js", "application/x-javascript binary 1.0 #Tessaly java");
  if (IsHosting(last)) AddEntry(last.m_ISCommonAddType, ".cacert", "application/x-x509-ca-cert");
  last.WriteISCommonAddType(out);
}

// One pass over httpd.cnf: old sections dropped, the product section in
// front of the first line that remains, the host line and the default-pass
// section at their places.
class HttpdConfigEdit {
 public:
  explicit HttpdConfigEdit(WebServerRun& run) : m_run(run) {}

  bool Run(FILE* in, FILE* out) {
    CopyLines(in, out, [this](const char* line, FILE* to) { return Copy(line, to); });
    if (m_sections.InsideSection()) return false;
    // A file that held nothing but product sections still gets one.
    if (!m_sectionWritten) WriteSection(out);
    return true;
  }

 private:
  bool Copy(const char* line, FILE* out) {
    if (m_sections.Drops(line)) return false;
    if (!m_sectionWritten) {
      WriteSection(out);
      return true;
    }
    if (!m_hostReplaced && !m_run.goInstances.empty() && IsKeywordLine(line, "Hostname")) {
      m_hostReplaced = true;
      WriteTextLine(out, "Hostname", m_run.goInstances.front().info.GetISHost());
      return false;
    }
    if (!m_defaultPassWritten && IsDefaultPassLine(line)) {
      m_defaultPassWritten = true;
      WriteDefaultPassSection(out, m_run);
    }
    return true;
  }

  void WriteSection(FILE* out) {
    m_sectionWritten = true;
    if (!m_run.goInstances.empty()) WriteProductSection(out, m_run);
  }

  WebServerRun& m_run;
  OldSectionFilter m_sections;
  bool m_sectionWritten = false;
  bool m_hostReplaced = false;
  bool m_defaultPassWritten = false;
};

}  // namespace

int SurveyInstances(MSList& list, const char* installDir, WebServerRun& run) {
  const PackagingSetting packaging = ReadPackagingSetting(installDir);
  if (packaging == PackagingSetting::kMissingFile) return 0;
  run.installDir = installDir;
  for (int i = 0; i < list.GetCount(); ++i) {
    list.SetIndex(i);
    list.GetCurrent(run.last);  // ends as the working copy of the last record
    if (run.last.GetMSOption() & MSInfo::kOptOldLevel) run.anyOldLevel = true;
    if (run.last.GetISType() != eISGoWebserver) continue;
    GoInstance instance;
    instance.info = run.last;
    ApplyPackagingSetting(packaging, instance.info);
    if (PackagingClear(instance.info)) run.anyCatalogEditor = true;
    ResolveHost(instance);
    run.goInstances.push_back(std::move(instance));
  }
  return 1;
}

void WriteProductSection(FILE* out, WebServerRun& run) {
  WriteSectionBegin(out, kSectionTitle);
  WriteFilterRoutes(out, run);
  WriteLine(out, "");
  for (GoInstance& instance : run.goInstances) {
    WriteProtectionBlocks(out, instance);
    if (&instance == &run.goInstances.front()) WriteServerInit(out, run, instance.info);
    WriteInstancePasses(out, instance.info);
    WriteLine(out, "");
  }
  WriteCompatibilityMaps(out);
  WriteLine(out, "");
  AddEntry(run.last.m_ISCommonExec, "/msprotect/*", run.installDir ^ "cgi-bin" ^ "*");
  run.last.WriteISCommonExec(out);
  WriteLine(out, "");
  WriteCommonPasses(out, run);
  WriteLine(out, "");
  WriteCommonTypes(out, run.last);
  WriteLine(out, "");
  WriteSectionEnd(out, kSectionEndTitle);
}

void WriteDefaultPassSection(FILE* out, const WebServerRun& run) {
  WriteSectionBegin(out, kDefaultPassTitle);
  for (const GoInstance& instance : run.goInstances) {
    const KelString html(instance.info.GetHtmlPath());
    auto writeRule = [&](const std::string& host) {
      WriteLine(
          out, std::string("Pass   /*  ") + static_cast<const char*>(html ^ ("* " + host).c_str()));
    };
    writeRule(instance.info.GetISHost());
    for (const std::string& address : instance.addresses) writeRule(address);
  }
  WriteSectionEnd(out, kDefaultPassEndTitle);
}

int UpdateHttpdConfig(WebServerRun& run) {
  const std::string path(run.dirs.configDir ^ "httpd.cnf");
  HttpdConfigEdit edit(run);
  const EditResult result = EditSharedFile(
      path, path + ".old", [&edit](FILE* in, FILE* out) { return edit.Run(in, out); });
  return ReportWebServerFileEdit(result, path.c_str());
}

}  // namespace orvane
