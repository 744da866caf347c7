#include "orvane/lifecycle/InstanceScripts.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "orvane/core/AsciiCase.h"
#include "orvane/core/CommandValues.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr char kJavaRuntimeLine[] = "\"<<CASHET_Path>>\\jre\\bin\\jre\"";
constexpr char kOracleDriver[] = "oracle.jdbc.driver.OracleDriver";
constexpr char kOracleUrlStart[] = "jdbc:oracle:thin:@";
constexpr char kOraclePort[] = "1521";
constexpr char kOracleDriverPlaceholder[] =
    "<<path of Oracle thin JDBC driver 8.0.4.0.6 (or above)>>";

// Registry look-ups that may be missing give empty text: the script is still
// written, as the installation's templates expect.
std::string Lookup(int (*read)(KelString&)) {
  KelString value;
  return read(value) ? std::string(value) : std::string();
}

std::string Join(const std::string& directory, std::initializer_list<const char*> names) {
  KelString path(directory.c_str());
  for (const char* name : names) path = path ^ name;
  return std::string(path);
}

bool IsOracle(const MSInfo& info) { return info.GetDBType() == eDBOracle; }

// How a value stands in its place in a script: paths in the double quotes
// that the templates (or this file) give them, the values of "set" lines
// bare to the line end, names bare, and the product's own texts as they are.
// A script whose values do not fit is not written, so a value never adds
// commands of its own to a script that an administrator runs.
enum class Place { kQuoted, kSetValue, kDatabaseWord, kFixed };

bool Fits(const std::string& value, Place place) {
  switch (place) {
    case Place::kQuoted:
      return IsQuotableText(value.c_str());
    case Place::kSetValue:
      return IsSetValueText(value.c_str());
    case Place::kDatabaseWord:
      return IsDatabaseWord(value.c_str());
    case Place::kFixed:
      return true;
  }
  return false;
}

struct Placeholder {
  const char* name;
  std::string value;
  Place place;
};
using Placeholders = std::vector<Placeholder>;

bool AllFit(const Placeholders& values) {
  for (const Placeholder& entry : values) {
    if (!Fits(entry.value, entry.place)) return false;
  }
  return true;
}

// A script refused for its values names the file it did not write
// (message 26).
int Refuse(const std::string& target) {
  KelShowError(26, target.c_str());
  return 0;
}

PlaceholderValue FromTable(const Placeholders& table) {
  return [&table](const std::string& name, std::string& value) {
    for (const Placeholder& entry : table) {
      if (EqualsIgnoringCase(name.c_str(), entry.name)) {
        value = entry.value;
        return true;
      }
    }
    return false;
  };
}

// Writes target from a template through rule, beside the target first; the
// previous target becomes its backup only when the new file is complete.
int WriteFromTemplate(const std::string& templatePath, const std::string& target,
                      const LineRule& rule, const MSInfo& info, int mode) {
  FILE* in = os::OpenFile(templatePath, "r");
  if (in == nullptr) return 0;
  FileReplacement replacement(target);
  if (replacement.stream() != nullptr) CopyLines(in, replacement.stream(), rule);
  const bool readFailed = std::ferror(in) != 0;
  std::fclose(in);
  if (replacement.stream() == nullptr || readFailed || !replacement.Close()) return 0;

  if (os::PathExists(target)) os::CopyFile(target, DefaultBackupName(target));
  if (!replacement.Commit()) return 0;
  SetFileOwner(target.c_str(), info.GetDBOwner());
  SetFileMode(target.c_str(), mode);
  return 1;
}

bool StartsWith(const char* line, const char* start) {
  return std::strncmp(line, start, std::strlen(start)) == 0;
}

// The pieces of the migration's class path, joined with ";". The Oracle
// driver's placeholder is for the administrator to replace by hand.
std::vector<std::string> MigrationClassPath(const MSInfo& info, const std::string& payDir) {
  std::vector<std::string> pieces;
  if (payDir.find("jre") != std::string::npos) {
    pieces.push_back(Join(payDir, {"jre", "lib", "rt.jar"}));
    pieces.push_back(Join(payDir, {"jre", "lib", "i18n.jar"}));
  }
  if (!IsOracle(info)) {
    pieces.push_back(Join(Lookup(KelGetDBVXRPath), {"java", "velqjava.zip"}));
    pieces.push_back(Join(payDir, {"cashetClasses.zip"}));
  } else {
    if (info.GetISType() == eISGoWebserver) {
      WebServerDirs dirs;
      GetWebServerDirs(dirs);
      pieces.push_back(Join(std::string(dirs.mainDir), {"bin", "java", "lib", "classes.zip"}));
    }
    pieces.push_back(Join(payDir, {"cashetClasses.zip"}));
    pieces.push_back(kOracleDriverPlaceholder);
  }
  return pieces;
}

// The fixed rewrites of the migration script, in the order they are tried:
// a line that starts with (or, for kContains, holds) the pattern is written
// as the replacement.
enum class Match { kStartsWith, kContains };
struct MigrationRewrite {
  Match match;
  const char* pattern;
  bool oracleOnly;
  std::string replacement;
};

std::vector<MigrationRewrite> MigrationRewrites(const std::string& schema) {
  const std::string oracleUrl = std::string(kOracleUrlStart);
  return {
      {Match::kStartsWith, "x0=", false, "x0=" + schema + "\n"},
      {Match::kStartsWith, "set x0", false, "set x0=" + schema + "\n"},
      {Match::kStartsWith, "x1=", true, std::string("x1=") + kOracleDriver + "\n"},
      {Match::kStartsWith, "set x1", true, std::string("set x1=") + kOracleDriver + "\n"},
      {Match::kStartsWith, "x2=", true, "x2=" + oracleUrl + "$4:" + kOraclePort + ":$1\n"},
      {Match::kStartsWith, "set x2", true, "set x2=" + oracleUrl + "%4:" + kOraclePort + ":%1\n"},
      {Match::kStartsWith, "x5=", true, "x5=" + oracleUrl + "$4:" + kOraclePort + ":$1\n"},
      {Match::kStartsWith, "set x5", true, "set x5=" + oracleUrl + "%4:" + kOraclePort + ":%1\n"},
      {Match::kContains, "if \"%3\"==\"\" goto error", true, "if \"%4\"==\"\" goto error\n"},
      {Match::kStartsWith, "if [ $# != 3 ]", true, "if [ $# != 4 ]\n"},
  };
}

// The usage line of the Oracle form names the service as a fourth argument,
// inside a closing double quote when the line ends in one.
std::string WithServiceNameArgument(const char* line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const bool quoted = !text.empty() && text.back() == '"';
  if (quoted) text.pop_back();
  return text + " [servicename]" + (quoted ? "\"" : "") + "\n";
}

}  // namespace

std::string FillPlaceholders(const std::string& line, const PlaceholderValue& valueOf) {
  const size_t bodyEnd = line.find_last_not_of("\r\n") + 1;  // npos + 1 is 0
  const std::string body = line.substr(0, bodyEnd);
  std::string rebuilt;
  bool literal = true;
  size_t position = 0;
  while (true) {
    const size_t start = body.find_first_not_of("<>", position);
    if (start == std::string::npos) break;
    size_t stop = body.find_first_of("<>", start);
    if (stop == std::string::npos) stop = body.size();
    const std::string piece = body.substr(start, stop - start);
    std::string value;
    if (literal) {
      rebuilt += piece;
    } else if (valueOf(piece, value)) {
      rebuilt += value;
    }
    literal = !literal;
    position = stop;
  }
  return rebuilt + line.substr(bodyEnd);
}

int WriteSampleStoreScript(MSInfo& info, const char* installDir) {
  if ((info.GetMSOption() & MSInfo::kOptHosting) == 0) return 0;
  const std::string jre = Lookup(KelGetJREPath);
  const std::string java = Join(jre, {"bin", "java"});
  const std::string classPath = Join(installDir, {"JQ", "JQ.jar"}) + ";" +
                                Join(Lookup(KelGetDBVXRPath), {"java", "velqjava.zip"}) + ";" +
                                Join(jre, {"lib", "classes.zip"});
  const std::string settings = Join(info.GetHtmlPath(), {"tessaly.ini"});
  // The paths go in double quotes, where blanks, parentheses and & are text.
  const std::string target = Join(info.GetRootPath(), {"bin", "installsamples.bat"});
  for (const std::string* path : {&java, &classPath, &settings}) {
    if (!Fits(*path, Place::kQuoted)) return Refuse(target);
  }
  const std::string line = InQuotes(java.c_str()) + " -classpath " + InQuotes(classPath.c_str()) +
                           " com.vxr.jq.install.SampleStoreInstall " + InQuotes(settings.c_str()) +
                           " en_US";
  FileReplacement replacement(target);
  if (replacement.stream() == nullptr) return 0;
  std::fprintf(replacement.stream(), "%s\n", line.c_str());
  if (!replacement.Commit()) return 0;
  SetFileOwner(target.c_str(), info.GetDBOwner());
  SetFileMode(target.c_str(), 0700);
  return 1;
}

int WriteCashetScript(MSInfo& info, const char* installDir) {
  const bool oracle = IsOracle(info);
  // The URL stands bare in the template: its host and names keep to their
  // characters.
  const std::string sid = oracle ? Lookup(GetOracleSid) : std::string();
  const bool urlFits = oracle ? IsHostNameText(info.GetISHost()) && IsDatabaseWord(sid.c_str())
                              : IsDatabaseWord(info.GetDBName());
  const std::string driverUrl =
      oracle ? std::string(kOracleUrlStart) + info.GetISHost() + ":" + kOraclePort + ":" + sid
             : std::string("jdbc:velq:") + info.GetDBName();
  const Placeholders values = {
      {"database_java_driver",
       oracle ? Join(Lookup(GetOracleHome), {"jdbc", "lib", "classes111.zip"})
              : Join(Lookup(KelGetDBVXRPath), {"java", "velqjava.zip"}),
       Place::kQuoted},
      {"JDBC_driver_name", oracle ? kOracleDriver : "COM.vxr.velq.jdbc.app.VELQDriver",
       Place::kFixed},
      {"JDBC_URL", driverUrl, Place::kFixed},  // its parts are checked above
      {"Database_owner", info.GetDBUser(), Place::kDatabaseWord},
      {"Database_userid", info.GetDBUser(), Place::kDatabaseWord},
      {"CASHET_Path", Lookup(GetPayServerPath), Place::kQuoted},
  };
  const std::string target = Join(info.GetRootPath(), {"bin", "cashet.cmd"});
  if (!urlFits || !AllFit(values)) return Refuse(target);

  const PlaceholderValue valueOf = FromTable(values);
  const LineRule rule = [&valueOf](const char* line, FILE* out) {
    if (!StartsWith(line, kJavaRuntimeLine)) return true;
    std::fputs(FillPlaceholders(line, valueOf).c_str(), out);
    return false;
  };
  return WriteFromTemplate(Join(installDir, {"server", "admin", "cashet.cmd"}), target, rule, info,
                           0755);
}

std::string MigrateCashetScriptPath(const MSInfo& info, const char* installDir) {
  return Join(installDir,
              {"tq_schema", IsOracle(info) ? "oracle" : "VELQ", "migrate", "migrateCashet.cmd"});
}

int WriteMigrateCashetScript(MSInfo& info, const char* installDir) {
  const bool oracle = IsOracle(info);
  const std::string schema =
      oracle ? Join(installDir, {"tq_schema", "oracle", "cashet12_schema.ora.sql"})
             : Join(installDir, {"tq_schema", "VELQ", "cashet12_schema.velq.sql"});
  const std::string payDir = Lookup(GetPayServerPath);
  const std::string target = MigrateCashetScriptPath(info, installDir);
  // The schema and the class path are the values of "set" lines.
  std::string classPath;
  for (const std::string& piece : MigrationClassPath(info, payDir)) {
    if (piece != kOracleDriverPlaceholder && !Fits(piece, Place::kSetValue)) return Refuse(target);
    classPath += (classPath.empty() ? "" : ";") + piece;
  }
  const Placeholders pathOnly = {{"CASHET_Path", payDir, Place::kQuoted}};
  if (!AllFit(pathOnly) || !Fits(schema, Place::kSetValue)) return Refuse(target);

  const std::vector<MigrationRewrite> rewrites = MigrationRewrites(schema);
  const PlaceholderValue payDirOf = FromTable(pathOnly);
  const LineRule rule = [&](const char* line, FILE* out) {
    if (std::strstr(line, kJavaRuntimeLine) != nullptr) {
      std::fprintf(out, "set tqclasspath=%s\n\n", classPath.c_str());
      std::fputs(FillPlaceholders(line, payDirOf).c_str(), out);
      return false;
    }
    for (const MigrationRewrite& rewrite : rewrites) {
      if (rewrite.oracleOnly && !oracle) continue;
      const bool matches = rewrite.match == Match::kStartsWith
                               ? StartsWith(line, rewrite.pattern)
                               : std::strstr(line, rewrite.pattern) != nullptr;
      if (matches) {
        std::fputs(rewrite.replacement.c_str(), out);
        return false;
      }
    }
    if (oracle && std::strstr(line, "Usage") != nullptr) {
      std::fputs(WithServiceNameArgument(line).c_str(), out);
      return false;
    }
    return true;
  };
  return WriteFromTemplate(Join(installDir, {"server", "admin", "migrateCashet.cmd"}), target, rule,
                           info, 0755);
}

}  // namespace orvane
