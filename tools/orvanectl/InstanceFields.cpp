#include "InstanceFields.h"

#include <array>
#include <charconv>
#include <optional>

namespace orvanectl {

namespace {

using nlohmann::json;

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
  return value;
}

// A choice by name, letter case ignored, or by its number.
template <std::size_t N>
std::optional<int> ParseChoice(const std::string& text, const std::array<const char*, N>& names) {
  for (std::size_t i = 0; i < N; ++i) {
    std::string name = names[i];
    if (name.size() == text.size() &&
        std::equal(name.begin(), name.end(), text.begin(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                               std::tolower(static_cast<unsigned char>(b)); })) {
      return static_cast<int>(i);
    }
  }
  return ParseNumber(text);
}

constexpr std::array<const char*, 3> kWebServers = {"go", "netscape", "quenta"};
constexpr std::array<const char*, 2> kDatabases = {"velq", "oracle"};

std::optional<bool> ParseFlag(const std::string& text) {
  if (text == "on" || text == "1" || text == "yes") return true;
  if (text == "off" || text == "0" || text == "no") return false;
  return std::nullopt;
}

json Text(const char* text) { return std::string(text == nullptr ? "" : text); }
json Secret(const char* cipher) {
  return std::string(cipher != nullptr && *cipher != '\0' ? "set" : "unset");
}

template <int Bit>
bool ApplyOption(MSInfo& record, const std::string& value) {
  std::optional<bool> on = ParseFlag(value);
  return on && record.SetMSOption(Bit, *on ? Bit : 0);
}

template <int Bit>
json ShowOption(const MSInfo& record) {
  return (record.GetMSOption() & Bit) != 0;
}

template <int (MSInfo::*Setter)(int)>
bool ApplyNumber(MSInfo& record, const std::string& value) {
  std::optional<int> number = ParseNumber(value);
  return number && (record.*Setter)(*number);
}

template <int (MSInfo::*Setter)(const char*)>
bool ApplyText(MSInfo& record, const std::string& value) {
  return (record.*Setter)(value.c_str());
}

// The record's rules, with the characters that a value's place in the
// command files and scripts can hold.
constexpr char kPathRule[] = "1 to 260 characters, without \", % or a line end";
constexpr char kHostRule[] = "1 to 64 characters: letters, digits, - and .";
constexpr char kInstanceNameRule[] =
    "1 to 8 characters, not dots alone, without blanks, line ends or \\ / : * ? \" < > | & ^ % ( )";
#define ORVANECTL_DATABASE_CHARACTERS "letters, digits, _, $, # and @"
constexpr char kDatabaseCharacters[] = ORVANECTL_DATABASE_CHARACTERS;
constexpr char kDatabaseNameRule[] = "1 to 8 characters: " ORVANECTL_DATABASE_CHARACTERS;
constexpr char kPasswordRule[] = "0 to 16 characters";
constexpr char kDatabasePasswordRule[] = "0 to 16 characters, without \", % or a line end";
constexpr char kFlagRule[] = "on or off";
constexpr char kCycleRule[] = "a number from 1 to 65535";

}  // namespace

const char* WebServerName(eISType type) {
  return static_cast<std::size_t>(type) < kWebServers.size() ? kWebServers[type] : "unknown";
}

const char* DatabaseName(eDBType type) {
  return static_cast<std::size_t>(type) < kDatabases.size() ? kDatabases[type] : "unknown";
}

namespace {

template <std::size_t N>
std::string Alternatives(const std::array<const char*, N>& names) {
  std::string joined;
  for (const char* name : names) joined += (joined.empty() ? "" : "|") + std::string(name);
  return joined;
}

}  // namespace

std::string ValueType(const InstanceField& field) {
  const std::string option = field.option;
  switch (field.kind) {
    case FieldKind::kNumber:
      return option == "port" || option == "db-port" ? "PORT" : "INT";
    case FieldKind::kFlag:
      return "on|off";
    case FieldKind::kChoice:
      return option == "web-server" ? Alternatives(kWebServers) : Alternatives(kDatabases);
    case FieldKind::kSecret:
      return "TEXT|-";
    case FieldKind::kText:
      return field.rule == kPathRule ? "PATH" : "TEXT";
  }
  return "TEXT";
}

const std::vector<InstanceField>& InstanceFields() {
  static const std::vector<InstanceField> fields = {
      {"name", "instance name", kInstanceNameRule, FieldKind::kText, ApplyText<&MSInfo::SetName>,
       [](const MSInfo& r) { return Text(r.GetName()); }},
      {"root", "instance root directory", kPathRule, FieldKind::kText,
       ApplyText<&MSInfo::SetRootPath>, [](const MSInfo& r) { return Text(r.GetRootPath()); }},
      {"macro-path", "directory of the store's macro files", kPathRule, FieldKind::kText,
       ApplyText<&MSInfo::SetMacroPath>, [](const MSInfo& r) { return Text(r.GetMacroPath()); }},
      {"cgi-path", "web server CGI directory", kPathRule, FieldKind::kText,
       ApplyText<&MSInfo::SetCgiPath>, [](const MSInfo& r) { return Text(r.GetCgiPath()); }},
      {"html-path", "instance HTML and configuration directory", kPathRule, FieldKind::kText,
       ApplyText<&MSInfo::SetHtmlPath>, [](const MSInfo& r) { return Text(r.GetHtmlPath()); }},
      {"host", "web server host name", kHostRule, FieldKind::kText, ApplyText<&MSInfo::SetISHost>,
       [](const MSInfo& r) { return Text(r.GetISHost()); }},
      {"ip", "IP address of the web server host",
       "four dot-separated numbers of at most 255, digits and dots only", FieldKind::kText,
       ApplyText<&MSInfo::SetIPAddr>, [](const MSInfo& r) { return Text(r.GetIPAddr()); }},
      {"web-server", "web server type: go, netscape or quenta", "go, netscape, quenta or 0 to 2",
       FieldKind::kChoice,
       [](MSInfo& r, const std::string& v) {
         std::optional<int> type = ParseChoice(v, kWebServers);
         return type && r.SetISType(static_cast<eISType>(*type));
       },
       [](const MSInfo& r) { return json(WebServerName(r.GetISType())); }},
      {"processes", "number of commerce server processes", "a number from 2 to 99",
       FieldKind::kNumber, ApplyNumber<&MSInfo::SetMSProc>,
       [](const MSInfo& r) { return json(r.GetMSProc()); }},
      {"port", "first TCP port of the instance's port block",
       "a number from 1024 to 65535, not 16560", FieldKind::kNumber,
       ApplyNumber<&MSInfo::SetMSPort>, [](const MSInfo& r) { return json(r.GetMSPort()); }},
      {"db-port", "first TCP port of the second port block", "a number", FieldKind::kNumber,
       ApplyNumber<&MSInfo::SetDBPort>, [](const MSInfo& r) { return json(r.GetDBPort()); }},
      {"db-type", "database type: velq or oracle", "velq, oracle, 0 or 1", FieldKind::kChoice,
       [](MSInfo& r, const std::string& v) {
         std::optional<int> type = ParseChoice(v, kDatabases);
         return type && r.SetDBType(static_cast<eDBType>(*type));
       },
       [](const MSInfo& r) { return json(DatabaseName(r.GetDBType())); }},
      {"db-name", "database name", kDatabaseNameRule, FieldKind::kText,
       ApplyText<&MSInfo::SetDBName>, [](const MSInfo& r) { return Text(r.GetDBName()); }},
      {"db-user", "database user (the database instance)", kDatabaseNameRule, FieldKind::kText,
       ApplyText<&MSInfo::SetDBUser>, [](const MSInfo& r) { return Text(r.GetDBUser()); }},
      {"db-owner", "account that owns the database",
       "an existing local account with administrator privilege, named with "
       ORVANECTL_DATABASE_CHARACTERS,
       FieldKind::kText, ApplyText<&MSInfo::SetDBOwner>,
       [](const MSInfo& r) { return Text(r.GetDBOwner()); }},
      {"db-password", "database password (- reads it from standard input)", kDatabasePasswordRule,
       FieldKind::kSecret, ApplyText<&MSInfo::SetDBPswd>,
       [](const MSInfo& r) { return Secret(r.GetDBPswdCipher()); }},
      {"db-host", "host of a remote database", kHostRule, FieldKind::kText,
       ApplyText<&MSInfo::SetDBHost>, [](const MSInfo& r) { return Text(r.GetDBHost()); }},
      {"db-service", "database service (connection) name", kDatabaseCharacters, FieldKind::kText,
       ApplyText<&MSInfo::SetDBSvc>, [](const MSInfo& r) { return Text(r.GetDBSvc()); }},
      {"cms-password", "CMS password (- reads it from standard input)", kPasswordRule,
       FieldKind::kSecret, ApplyText<&MSInfo::SetCMSPswd>,
       [](const MSInfo& r) { return Secret(r.GetCMSPswdCipher()); }},
      {"merchant-key", "merchant key (- reads it from standard input)",
       "empty or exactly 16 characters", FieldKind::kSecret, ApplyText<&MSInfo::SetMerKey>,
       [](const MSInfo& r) {
         KelString key;
         r.GetMerKey(key);
         return Secret(key);
       }},
      {"pay-host", "payment server host name", kHostRule, FieldKind::kText,
       ApplyText<&MSInfo::SetZKHost>, [](const MSInfo& r) { return Text(r.GetZKHost()); }},
      {"pay-cycle", "payment background cycle time", kCycleRule, FieldKind::kNumber,
       ApplyNumber<&MSInfo::SetZKCycle>, [](const MSInfo& r) { return json(r.GetZKCycle()); }},
      {"pay-interval", "payment background inter-job interval", kCycleRule, FieldKind::kNumber,
       ApplyNumber<&MSInfo::SetZKIntvl>, [](const MSInfo& r) { return json(r.GetZKIntvl()); }},
      {"pay-timeout", "payment state time-out", "a number from 60 to 65535", FieldKind::kNumber,
       ApplyNumber<&MSInfo::SetZKTmout>, [](const MSInfo& r) { return json(r.GetZKTmout()); }},
      {"staging", "staging enabled", kFlagRule, FieldKind::kFlag,
       ApplyOption<MSInfo::kOptStaging>, ShowOption<MSInfo::kOptStaging>},
      {"packaging", "packaging flag", kFlagRule, FieldKind::kFlag,
       ApplyOption<MSInfo::kOptPackaging>, ShowOption<MSInfo::kOptPackaging>},
      {"remote-db", "the database is on the database host", kFlagRule, FieldKind::kFlag,
       ApplyOption<MSInfo::kOptRemoteDB>, ShowOption<MSInfo::kOptRemoteDB>},
      {"cache", "page cache enabled", kFlagRule, FieldKind::kFlag, ApplyOption<MSInfo::kOptCache>,
       ShowOption<MSInfo::kOptCache>},
      {"pay-trace", "payment trace enabled", kFlagRule, FieldKind::kFlag,
       ApplyOption<MSInfo::kOptPayTrace>, ShowOption<MSInfo::kOptPayTrace>},
      {"old-level", "configuration read back from a product level below 3", kFlagRule,
       FieldKind::kFlag, ApplyOption<MSInfo::kOptOldLevel>, ShowOption<MSInfo::kOptOldLevel>},
      {"pay-server", "the payment server is installed", kFlagRule, FieldKind::kFlag,
       ApplyOption<MSInfo::kOptPayServer>, ShowOption<MSInfo::kOptPayServer>},
      {"hosting", "the hosting edition is installed", kFlagRule, FieldKind::kFlag,
       ApplyOption<MSInfo::kOptHosting>, ShowOption<MSInfo::kOptHosting>},
  };
  return fields;
}

std::string ShownText(const json& shown) {
  if (shown.is_string()) return shown.get<std::string>();
  if (shown.is_boolean()) return shown.get<bool>() ? "on" : "off";
  return shown.dump();
}

const InstanceField* FindField(const std::string& option) {
  for (const InstanceField& field : InstanceFields()) {
    if (option == field.option) return &field;
  }
  return nullptr;
}

}  // namespace orvanectl
