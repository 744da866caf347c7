// The web server's servlet engine settings, servlet.cnf.
//
// The engine must find the Velq JDBC driver (its library directory on
// "JavaLibPath", its archive on "JavaClassPath", beside the product's own
// servlet archive) and declare the product's two servlets. Every other line
// of the file is kept; the product's servlets go into a section at the end
// of the file that each run writes anew.
#ifndef ORVANE_CONFIG_SERVLETCONFIG_H_
#define ORVANE_CONFIG_SERVLETCONFIG_H_

#include <string>

#include "orvane/core/MSList.h"

namespace orvane {

// Velq's Java archive: VelqDir\java\velqjava.zip; empty when Velq's record
// cannot be read.
std::string VelqJavaArchive();

// Rewrites configDir\servlet.cnf, keeping its previous content in
// servlet.cnf.old:
//  - "JavaLibPath v" gets ";" + Velq's library directory unless the line
//    names it; "JavaClassPath v" gets ";" + the product's archive + ";" +
//    Velq's archive unless the line names the product's archive (a trailing
//    ";" of v is dropped first); a setting without a value stays as it is;
//  - a class path noted in a commented-out setting is carried into the
//    product section;
//  - withViewer: the section declares the page viewer servlet, with one
//    host=HTML path line per Go instance of list, and the merchant servlet.
// 1 when done; 0 with message 28 or 26 as the file cannot be read or
// written, and 6 (file unchanged) when an old product section is not closed
// or a value would break a line.
int UpdateServletConfig(const char* configDir, int withViewer, MSList& list);

}  // namespace orvane

#endif  // ORVANE_CONFIG_SERVLETCONFIG_H_
