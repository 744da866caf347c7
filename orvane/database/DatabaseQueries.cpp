#include "orvane/database/DatabaseQueries.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include "orvane/core/AsciiCase.h"
#include "orvane/core/CommandValues.h"
#include "orvane/core/MSInfo.h"
#include "orvane/database/ScriptRunner.h"
#include "orvane/os/Files.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr unsigned int kAliasLabelMessage = 73;
constexpr unsigned int kCannotDetermine = 32;
constexpr char kWordDelimiters[] = " \t\r\n";
constexpr char kHostingDataQuery[] =
    "select refnum from ofs where name='tq3_shipRule' and version=1.0 and vendor='VXR' and "
    "product='TQ'";

// Decides about the output one line at a time; true stops the reading.
using OutputRule = std::function<bool(const char* line)>;

// Runs a query's command file (written by writeCommands into
// <logs>\<db>.cmd, output to <logs>\<db><outputSuffix>) and reads the output
// through rule. kYes when rule answered yes; kUnknown with message 32 when
// there is no output to read; kNo when rule never did or the command file
// cannot be written. The output path reaches writeCommands in double quotes.
VelqAnswer AskVelq(const MSInfo& info, const char* outputSuffix,
            const std::function<void(FILE*, const char* output)>& writeCommands,
            const OutputRule& rule) {
  const KelString logs = LogDirectory(info);
  // A record from an older file may hold what its rules refuse today.
  if (!IsQuotableText(logs) || !IsDatabaseWord(info.GetDBName())) return VelqAnswer::kNo;
  const KelString output = logs ^ (KelString(info.GetDBName()) + outputSuffix);
  // An output left by an earlier run must not answer for this one.
  os::DeleteFile(std::string(output));
  ScriptRun run;
  {
    CommandFile commands(logs ^ (KelString(info.GetDBName()) + ".cmd"), false);
    if (commands.stream() == nullptr) return VelqAnswer::kNo;
    writeCommands(commands.stream(), InQuotes(output).c_str());
    if (!commands.Close()) return VelqAnswer::kNo;
    run = RunVelqScript(commands.path(), info, logs, 0);
  }
  FILE* in = run == ScriptRun::kFinished ? os::OpenFile(std::string(output), "r") : nullptr;
  if (in == nullptr) {
    os::DeleteFile(std::string(output));
    KelShowError(kCannotDetermine, info.GetDBName());
    return VelqAnswer::kUnknown;
  }
  bool answered = false;
  char line[kMaxLineChars + 1];
  while (!answered && std::fgets(line, sizeof line, in) != nullptr) answered = rule(line);
  std::fclose(in);
  os::DeleteFile(std::string(output));
  return answered ? VelqAnswer::kYes : VelqAnswer::kNo;
}

bool HasWordIgnoringCase(char* line, const char* word) {
  char* rest = nullptr;
  for (char* token = strtok_r(line, kWordDelimiters, &rest); token != nullptr;
       token = strtok_r(nullptr, kWordDelimiters, &rest)) {
    if (EqualsIgnoringCase(token, word)) return true;
  }
  return false;
}

}  // namespace

VelqAnswer ProbeHostingData(const MSInfo& info) {
  bool skipUnderline = false;
  return AskVelq(
      info, "JQ.tmp",
      [&](FILE* out, const char* output) {
        std::fprintf(out, "\nvelq connect to %s\n", info.GetDBName());
        std::fprintf(out, "velq \"%s\" > %s\n", kHostingDataQuery, output);
        std::fprintf(out, "\n");
      },
      [&](const char* line) {
        // The line after the column header is its underline.
        if (skipUnderline) {
          skipUnderline = false;
          return false;
        }
        if (std::strstr(line, "REFNUM") != nullptr) {
          skipUnderline = true;
          return false;
        }
        return std::strtol(line, nullptr, 10) >= 1;
      });
}

VelqAnswer ProbeDatabase(const MSInfo& info) {
  KelString aliasLabel;
  KelLoadMessage(aliasLabel, kAliasLabelMessage);
  return AskVelq(
      info, ".tmp",
      [](FILE* out, const char* output) {
        std::fprintf(out, "velq list database directory > %s\n", output);
      },
      [&](const char* line) {
        if (aliasLabel.IsEmpty() || std::strstr(line, aliasLabel) == nullptr) return false;
        char words[kMaxLineChars + 1];
        std::strcpy(words, line);
        return HasWordIgnoringCase(words, info.GetDBName());
      });
}

}  // namespace orvane

int IsExistDBVXR(MSInfo& info) {
  return orvane::ProbeDatabase(info) == orvane::VelqAnswer::kNo ? 0 : 1;
}
