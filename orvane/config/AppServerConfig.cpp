#include "orvane/config/AppServerConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "orvane/config/DirectiveLine.h"
#include "orvane/config/ServletConfig.h"
#include "orvane/config/SharedFileEdit.h"
#include "orvane/core/KelString.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/TextFileRewrite.h"

namespace orvane {
namespace {

constexpr char kClassPathName[] = "ncf.jvm.classpath";
constexpr char kMerchantCode[] = "servlet.MerchantAdmin.code";
constexpr char kMerchantArgs[] = "servlet.MerchantAdmin.initArgs";
constexpr char kPropertiesOwner[] = "bin";
constexpr std::string_view kEntryDelimiters = "; \t\r\n";

bool ListsEntry(std::string_view list, std::string_view entry) {
  size_t start = list.find_first_not_of(kEntryDelimiters);
  while (start != std::string_view::npos) {
    const size_t end = std::min(list.find_first_of(kEntryDelimiters, start), list.size());
    if (list.substr(start, end - start) == entry) return true;
    start = list.find_first_not_of(kEntryDelimiters, end);
  }
  return false;
}

// Appends entry to a class path line (without its line end) that lacks it.
void AddClassPathEntry(std::string& line, const std::string& entry) {
  const size_t equals = line.find('=');
  if (entry.empty() || ListsEntry(std::string_view(line).substr(equals + 1), entry)) return;
  // No ";" in front of the first entry: an empty entry would put the
  // working directory on the class path.
  if (line.size() > equals + 1 && line.back() != ';') line += ';';
  line += entry;
}

bool IsClassPathLine(std::string_view line) {
  const size_t equals = line.find('=');
  return equals != std::string_view::npos && line.substr(0, equals) == kClassPathName;
}

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

int ReportEdit(EditResult result) { return result == EditResult::kDone ? 1 : 0; }

std::string ServletServiceDir(const std::string& root) {
  return std::string(KelString(root.c_str()) ^ "properties" ^ "server" ^ "servlet" ^
                     "servletservice");
}

void UpdateServletService(MSInfo& info, const std::string& root, const char* installDir) {
  const KelString dir(ServletServiceDir(root).c_str());
  UpdateJvmProperties(dir ^ "jvm.properties", installDir);
  UpdateServletsProperties(info, dir ^ "servlets.properties");
}

}  // namespace

int UpdateJvmProperties(const char* path, const char* installDir) {
  const std::string javaArchive(KelString(installDir) ^ "JQ" ^ "JQ.jar");
  const std::string velqArchive = VelqJavaArchive();
  const std::string target(path);
  return ReportEdit(EditSharedFile(target, target + ".old", [&](FILE* in, FILE* out) {
    CopyLines(in, out, [&](const char* line, FILE* to) {
      // Every other line, a last one without its line feed too, is copied
      // as it is.
      if (!IsClassPathLine(line)) return true;
      std::string text(line);
      if (text.back() == '\n') text.pop_back();
      AddClassPathEntry(text, javaArchive);
      AddClassPathEntry(text, velqArchive);
      WriteLine(to, text);
      return false;
    });
    return true;
  }));
}

int UpdateServletsProperties(MSInfo& info, const char* path) {
  const std::string configFile(KelString(info.GetHtmlPath()) ^ "tessaly.ini");
  const std::string target(path);
  const std::string backup = target + ".old";
  const int updated = ReportEdit(EditSharedFile(target, backup, [&](FILE* in, FILE* out) {
    CopyLinesThenEndLast(in, out, [](const char* line, FILE*) {
      return std::strstr(line, kMerchantCode) == nullptr &&
             std::strstr(line, kMerchantArgs) == nullptr;
    });
    WriteLine(out, std::string(kMerchantCode) + "=com.vxr.jq.common.PageManager");
    WriteLine(out, std::string(kMerchantArgs) + "=configfile=" + configFile);
    return true;
  }));
  if (updated) {
    SetFileOwner(path, kPropertiesOwner);
    SetFileOwner(backup.c_str(), kPropertiesOwner);
  }
  return updated;
}

std::string SecureAppServerRoot(const std::string& root) {
  const std::string trimmed = WithoutTrailingBackslash(root);
  const size_t separator = trimmed.rfind('\\');
  if (separator == std::string::npos) return {};
  return trimmed.substr(0, separator) + "443" + trimmed.substr(separator);
}

void UpdateAppServerFiles(MSInfo& info, const char* installDir) {
  KelString root;
  if (!GetCorbelleRoot(root)) return;
  const std::string appServerRoot = WithoutTrailingBackslash(std::string(root));
  UpdateServletService(info, appServerRoot, installDir);
  const std::string secureRoot = SecureAppServerRoot(appServerRoot);
  if (!secureRoot.empty() && os::DirectoryExists(secureRoot)) {
    UpdateServletService(info, secureRoot, installDir);
  }
}

}  // namespace orvane
