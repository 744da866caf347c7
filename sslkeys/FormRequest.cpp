#include "sslkeys/FormRequest.h"

#include <cstdio>
#include <string>

#include "orvane/os/Process.h"

int FormRequest::AddField(KelString name, KelString value) {
  EncodeFieldValue(value);
  m_fields.push_back({name, value});
  return 1;
}

int FormRequest::SetVariable(KelString name, KelString value) {
  m_variables.push_back({name, value});
  return 1;
}

int FormRequest::BuildBody() {
  m_body.Empty();
  if (m_fields.empty()) return 0;
  m_body = m_fields.front().name + "=" + m_fields.front().value;
  for (auto field = m_fields.begin() + 1; field != m_fields.end(); ++field) {
    m_body += "&" + field->name + "=" + field->value;
  }
  return 1;
}

int FormRequest::ExportEnvironment() {
  BuildBody();
  m_length = m_body.GetLength();
  SetVariable("CONTENT_LENGTH", std::to_string(m_length).c_str());
  for (const NameValuePair& variable : m_variables) {
    orvane::os::SetEnvironmentVariable(static_cast<const char*>(variable.name),
                                       static_cast<const char*>(variable.value));
  }
  return 1;
}

int FormRequest::GetBody(KelString& out) {
  BuildBody();
  out = m_body;
  return 1;
}

int FormRequest::EncodeFieldValue(KelString& value) {
  std::string encoded;
  for (const char* ch = value; *ch != '\0'; ++ch) {
    switch (*ch) {
      case ':': encoded += "%3A"; break;
      case '\\': encoded += "%5C"; break;
      case '&': encoded += "%26"; break;
      case '=': encoded += "%3D"; break;
      case '%': encoded += "%25"; break;
      case '+': encoded += "%2B"; break;
      default: encoded += *ch;
    }
  }
  value = encoded.c_str();
  return 1;
}

int FormRequest::PostFormRequest(const KelString& program, const KelString& body) {
  // Quoted, so that a program path with spaces stays one argument.
  const std::string commandLine = "\"" + std::string(program) + "\"";
  orvane::os::Expected<orvane::os::ChildPipe> pipe = orvane::os::ChildPipe::Open(commandLine);
  if (!pipe) return 0;
  std::fprintf(pipe->stream(), "%s", static_cast<const char*>(body));
  std::fprintf(pipe->stream(), "%d", -1);
  pipe->Close();
  return 1;
}
