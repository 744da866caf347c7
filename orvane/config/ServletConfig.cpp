#include "orvane/config/ServletConfig.h"

#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "orvane/config/DirectiveLine.h"
#include "orvane/config/SharedFileEdit.h"
#include "orvane/config/WebServerLines.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/platform/InstallRegistry.h"

namespace orvane {
namespace {

constexpr char kLibPathKeyword[] = "JavaLibPath";
constexpr char kClassPathKeyword[] = "JavaClassPath";
// A commented-out setting is taken up again on the second line holding a
// path list (";") after it.
constexpr int kWatchedListLines = 2;

// The entries the settings must hold; each is empty when the registry record
// it comes from cannot be read.
struct ServletEntries {
  std::string velqLib;      // Velq's library directory
  std::string archive;      // the product's servlet archive
  std::string velqArchive;  // Velq's Java archive
};

struct ViewerHost {
  std::string host;
  std::string htmlPath;
};

std::string VelqSubpath(const char* first, const char* second = nullptr) {
  KelString velq;
  if (!KelGetDBVXRPath(velq)) return {};
  KelString path = velq ^ first;
  if (second != nullptr) path = path ^ second;
  return std::string(path);
}

ServletEntries ReadServletEntries() {
  ServletEntries entries;
  entries.velqLib = VelqSubpath("lib");
  entries.velqArchive = VelqJavaArchive();
  WebServerDirs dirs;
  if (GetWebServerDirs(dirs)) {
    entries.archive = std::string(dirs.mainDir ^ "servlets" ^ "public" ^ "kelpart.jar");
  }
  return entries;
}

std::vector<ViewerHost> GoInstanceHosts(MSList& list) {
  std::vector<ViewerHost> hosts;
  for (int i = 0; i < list.GetCount(); ++i) {
    MSInfo info;
    list.SetIndex(i);
    list.GetCurrent(info);
    if (info.GetISType() == eISGoWebserver) hosts.push_back({info.GetISHost(), info.GetHtmlPath()});
  }
  return hosts;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// One pass over servlet.cnf: the settings rewritten, old product sections
// dropped, then the new section appended.
class ServletConfigEdit {
 public:
  ServletConfigEdit(ServletEntries entries, std::vector<ViewerHost> hosts, bool withViewer)
      : m_entries(std::move(entries)), m_hosts(std::move(hosts)), m_withViewer(withViewer) {}

  bool Run(FILE* in, FILE* out) {
    CopyLinesThenEndLast(in, out, [this](const char* line, FILE* to) { return Copy(line, to); });
    if (m_sections.InsideSection()) return false;
    if (m_pendingEmptyLine) FlushEmptyLine(out);
    WriteSection(out);
    return true;
  }

 private:
  // The rule for one line of the present file; true copies it unchanged.
  bool Copy(std::string_view line, FILE* out) {
    // The empty line the section starts with belongs to it: it is held back
    // until the next line shows whether an old section follows.
    const bool held = std::exchange(m_pendingEmptyLine, false);
    if (m_sections.Drops(line)) return false;
    if (held) FlushEmptyLine(out);
    if (line == "\n") {
      m_pendingEmptyLine = true;
      return false;
    }
    // The file's own last line, not one of a section a run wrote, so that
    // a second run decides as the first did.
    m_lastLine = std::string(line);
    if (m_libWatch || m_classWatch) {
      if (Contains(line, ";")) ++m_listLines;
    }
    if (RewriteSetting(line, out)) return false;
    WatchCommentedSettings(line);
    return true;
  }

  void FlushEmptyLine(FILE* out) {
    std::fputs("\n", out);
    m_lastLine = "\n";
  }

  // Writes the rewritten form of a setting line; false for any other line.
  bool RewriteSetting(std::string_view line, FILE* out) const {
    const std::string_view keyword = LineWord(line, 0);
    const bool libPath = keyword == kLibPathKeyword;
    if (!libPath && keyword != kClassPathKeyword) return false;
    std::string_view value = LineWord(line, 1);
    if (value.empty()) return false;  // nothing to extend: copied as it is
    if (value.back() == ';') value.remove_suffix(1);
    std::string rewritten = std::string(keyword) + " " + std::string(value);
    if (libPath && !Contains(line, m_entries.velqLib)) {
      rewritten += ";" + m_entries.velqLib;
    } else if (!libPath && !Contains(line, m_entries.archive)) {
      rewritten += ";" + m_entries.archive + ";" + m_entries.velqArchive;
    }
    WriteLine(out, rewritten);
    return true;
  }

  // A setting commented out is noted; the path list that follows it may
  // carry a class path into the product section.
  void WatchCommentedSettings(std::string_view line) {
    const std::string_view keyword = LineWord(line, 0);
    if (keyword != kLibPathKeyword && Contains(line, kLibPathKeyword)) m_libWatch = true;
    if (keyword != kClassPathKeyword && Contains(line, kClassPathKeyword)) m_classWatch = true;
    if (!(m_libWatch || m_classWatch) || m_listLines != kWatchedListLines) return;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const size_t blank = line.find(' ', colon);
    if (m_libWatch) {
      m_libWatch = false;
    } else {
      m_classWatch = false;
      if (blank != std::string_view::npos) {
        m_savedClassPath = std::string(WithoutLineEnd(line.substr(blank)));
      }
    }
    m_listLines = 0;
  }

  void WriteSection(FILE* out) const {
    std::fputs("\n", out);
    WriteSectionBegin(out, kSectionTitle);
    if (!m_savedClassPath.empty()) {
      std::string classPath = std::string(kClassPathKeyword) + " " + m_savedClassPath;
      if (!Contains(m_lastLine, m_entries.archive)) {
        classPath += ";" + m_entries.archive + ";" + m_entries.velqArchive;
      }
      WriteLine(out, classPath);
    }
    if (m_withViewer) WriteServlets(out);
    WriteSectionEnd(out, kSectionEndTitle);
  }

  void WriteServlets(FILE* out) const {
    std::fputs(
        "\nESERVLET kelviewer kelviewer {\n"
        "    configfile=tessaly.ini\n"
        "    content=text/x-ssi-html\n",
        out);
    for (const ViewerHost& host : m_hosts) {
      WriteLine(out, "    " + host.host + "=" + host.htmlPath);
    }
    std::fputs(
        "}\n"
        "SERVICE kelviewer /servlet/kelviewer\n"
        "\n"
        "ESERVLET kelmserver kelmserver {\n"
        "    configfile=tessaly.ini\n"
        "}\n"
        "SERVICE kelmserver /servlet/kelmserver\n",
        out);
  }

  const ServletEntries m_entries;
  const std::vector<ViewerHost> m_hosts;
  const bool m_withViewer;
  OldSectionFilter m_sections;
  bool m_pendingEmptyLine = false;
  bool m_libWatch = false;
  bool m_classWatch = false;
  int m_listLines = 0;
  std::string m_savedClassPath;
  std::string m_lastLine;
};

}  // namespace

std::string VelqJavaArchive() { return VelqSubpath("java", "velqjava.zip"); }

int UpdateServletConfig(const char* configDir, int withViewer, MSList& list) {
  const std::string path(KelString(configDir) ^ "servlet.cnf");
  ServletConfigEdit edit(ReadServletEntries(), GoInstanceHosts(list), withViewer != 0);
  const EditResult result = EditSharedFile(
      path, path + ".old", [&edit](FILE* in, FILE* out) { return edit.Run(in, out); });
  return ReportWebServerFileEdit(result, path.c_str());
}

}  // namespace orvane
