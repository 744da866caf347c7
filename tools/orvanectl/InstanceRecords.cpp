#include "InstanceRecords.h"

#include "Host.h"
#include "InstanceData.h"

namespace orvanectl {

namespace {

constexpr unsigned int kMsgNoInstallation = 5;

// The instance name as a database name: "_" for each character that the
// database name's rule refuses.
std::string DatabaseNameFor(std::string name) {
  for (char& c : name) {
    if (!MSInfo::CheckDBName(std::string(1, c).c_str())) c = '_';
  }
  return name;
}

}  // namespace

std::string NameRule() {
  const InstanceField* name = FindField("name");
  return name == nullptr ? std::string() : name->rule;
}

bool Propose(MSList& list, const std::string& name, MSInfo& record) {
  KelString installation;
  if (!KelGetInstPath(installation)) {
    Host::Get().Error(kMsgNoInstallation);
    return false;
  }
  list.SetDefault(installation, "");
  list.GetDefault(record);
  if (name.empty()) return true;
  // The proposal's root ends with a backslash, and every path the library
  // builds below a root adds one: the instance's own root goes without.
  KelString root = record.GetRootPath();
  if (!root.IsEmpty() && root.GetAt(root.GetLength() - 1) == '\\') root.Truncate(root.GetLength() - 1);
  const KelString html = record.GetHtmlPath();
  const char* own = name.c_str();
  if (!record.SetName(own)) return true;  // the caller's SetName reports the rule
  record.SetRootPath(root ^ own);
  if (!html.IsEmpty()) record.SetHtmlPath(html ^ own);
  record.SetDBName(DatabaseNameFor(name).c_str());
  return true;
}

void Refuse(const std::string& option, const std::string& text) {
  Host& host = Host::Get();
  host.ErrorText(text);
  host.Result()["refused"].push_back({{"field", option}, {"text", text}});
}

bool ApplyFieldValue(const InstanceField& field, const std::string& value, MSInfo& record,
                     const std::string& lead) {
  // A line end would split the data file's line; a NUL would cut the text
  // short behind the rule's back.
  if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
    Refuse(field.option, lead + " refused: it must hold no line end and no NUL");
    return false;
  }
  if (field.apply(record, value)) return true;
  // A secret is never echoed, not even when it is refused.
  const std::string shown = field.kind == FieldKind::kSecret ? "the value" : "'" + value + "'";
  Refuse(field.option, lead + " " + shown + " refused: it must be " + field.rule);
  return false;
}

std::vector<std::string> RecordNames(MSList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.GetCount(); ++i) {
    MSInfo record;
    list.SetIndex(i);
    list.GetCurrent(record);
    names.push_back(record.GetName());
  }
  return names;
}

nlohmann::json RecordJson(const MSInfo& record) {
  nlohmann::json fields = nlohmann::json::object();
  for (const InstanceField& field : InstanceFields()) fields[field.option] = field.show(record);
  return fields;
}

bool Conflicts(int flags, MSList& list, const MSInfo& record, int ownIndex) {
  if (flags == 0) return false;
  ReportConflicts(std::string("instance ") + record.GetName(), list, record, flags, ownIndex);
  for (const nlohmann::json& refusal : ConflictRefusals(flags)) {
    Host::Get().Result()["refused"].push_back(refusal);
  }
  return true;
}

}  // namespace orvanectl
