// The scripts that instance creation writes: the sample store installer
// "installsamples.bat" of the hosting edition, and the payment server's
// command script "cashet.cmd" and migration script "migrateCashet.cmd",
// both rewritten from the installation's templates.
//
// Each script is written beside its target and renamed into place once
// complete; the payment scripts keep the previous file as their backup.
// Every value is checked against its place first (orvane/core/CommandValues.h):
// paths in double quotes, names bare. A script with a value that does not
// fit is not written (0, message 26 with the script's path), so no value
// adds commands of its own.
#ifndef ORVANE_LIFECYCLE_INSTANCESCRIPTS_H_
#define ORVANE_LIFECYCLE_INSTANCESCRIPTS_H_

#include <functional>
#include <string>

class MSInfo;

namespace orvane {

// Root\bin\installsamples.bat (mode 0700), one line that runs the sample
// store installer under the Java runtime, its three paths in double quotes.
// Only for the hosting edition: otherwise nothing is written and the result
// is 0, as it is when the file cannot be written.
int WriteSampleStoreScript(MSInfo& info, const char* installDir);

// Root\bin\cashet.cmd from installDir\server\admin\cashet.cmd: the line that
// starts the payment server's Java runtime gets its placeholders filled for
// the instance's database. 1 when written (mode 0755); 0 without a message
// when the template or the target cannot be opened or written.
int WriteCashetScript(MSInfo& info, const char* installDir);

// The payment migration script of the instance's database type, below
// installDir\tq_schema\VELQ\migrate or installDir\tq_schema\oracle\migrate.
std::string MigrateCashetScriptPath(const MSInfo& info, const char* installDir);
// That script from installDir\server\admin\migrateCashet.cmd, with the
// schema, the class path and (for Oracle) the driver, URL, argument count
// and usage lines rewritten. Results as WriteCashetScript.
int WriteMigrateCashetScript(MSInfo& info, const char* installDir);

// Rebuilds a template line: the text is cut at every run of "<" and ">"
// into pieces that alternate literal text and placeholder names, the first
// piece literal; each placeholder is replaced by what valueOf gives for it
// (false: the placeholder is dropped). The line end stays as it was.
using PlaceholderValue = std::function<bool(const std::string& name, std::string& value)>;
std::string FillPlaceholders(const std::string& line, const PlaceholderValue& valueOf);

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_INSTANCESCRIPTS_H_
