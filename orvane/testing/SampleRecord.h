// The record of the instance "mall" that the instance file writers are
// tested and measured with: port 5000, 2 processes, Velq, the Go web server,
// no option bits, its folders below C:\mall, secrets as stand-in cipher
// texts. Free of the test framework, for the benchmarks too.
#ifndef ORVANE_TESTING_SAMPLERECORD_H_
#define ORVANE_TESTING_SAMPLERECORD_H_

#include "orvane/core/MSInfo.h"

namespace orvane::test {

inline MSInfo MallRecord() {
  MSInfo info;
  info.m_Name = "mall";
  info.m_RootPath = "C:\\mall";
  info.m_HtmlPath = "C:\\mall\\html";
  info.m_MacroPath = "C:\\mall\\macro";
  info.m_CgiPath = "C:\\mall\\cgi-bin";
  info.m_ISHost = "shop.example";
  info.m_DBName = "malldb";
  info.m_DBUser = "dbuser";
  info.m_DBOwner = "owner";
  info.m_DBPswd = "DBCIPHER";
  info.m_CMSPswd = "CMSCIPHER";
  info.m_MerKey = "KEYCIPHER";
  info.m_MSPort = 5000;
  info.m_MSProc = 2;
  return info;
}

}  // namespace orvane::test

#endif  // ORVANE_TESTING_SAMPLERECORD_H_
