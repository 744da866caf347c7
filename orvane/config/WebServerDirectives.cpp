// The web server directives of an instance record, as httpd.cnf holds them.
#include <cstdio>

#include "orvane/core/Keywords.h"
#include "orvane/core/MSInfo.h"

namespace kw = orvane::keyword;

void MSInfo::WriteISPass(FILE* file) { WriteDirective(file, kw::kPass, m_ISPass, m_ISHost); }
void MSInfo::WriteISMap(FILE* file) { WriteDirective(file, kw::kMap, m_ISMap, m_ISHost); }
void MSInfo::WriteISExec(FILE* file) {
  WriteDirective(file, kw::kExecDirective, m_ISExec, m_ISHost);
}

void MSInfo::WriteISCommonPass(FILE* file) {
  WriteDirective(file, kw::kPass, m_ISCommonPass, nullptr);
}
void MSInfo::WriteISCommonMap(FILE* file) {
  WriteDirective(file, kw::kMap, m_ISCommonMap, nullptr);
}
void MSInfo::WriteISCommonExec(FILE* file) {
  WriteDirective(file, kw::kExecDirective, m_ISCommonExec, nullptr);
}
void MSInfo::WriteISCommonAddType(FILE* file) {
  WriteDirective(file, kw::kAddType, m_ISCommonAddType, nullptr);
}
