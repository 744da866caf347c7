// What a value may hold where it lands in a command file or script.
//
// The command interpreter reads & | < > ^ ( ) and blanks as syntax outside
// double quotes, expands % inside them too, lets " end the quoting, and
// starts a new command at a line end. Names go into command files bare, so
// they keep to the characters of their kind; paths and passwords go in
// double quotes, which leave blanks, parentheses and & as they are. The
// record's rules and the writers of command files share these predicates.
//
// A null text counts as empty; the empty text fits every predicate (the
// length rules live with the record).
#ifndef ORVANE_CORE_COMMANDVALUES_H_
#define ORVANE_CORE_COMMANDVALUES_H_

#include <string>

namespace orvane {

// Letters, digits, "-" and ".".
bool IsHostNameText(const char* text);
// Letters, digits, "_", "$", "#" and "@": a database, alias, user or
// service name as the database allows it.
bool IsDatabaseWord(const char* text);
// Anything but '"', '%' and control characters (line ends among them): a
// text that stays one argument inside double quotes.
bool IsQuotableText(const char* text);
// Anything but control characters and " % & | < > ^: the value of a
// "set name=value" line, which runs to the line end with its blanks and
// parentheses.
bool IsSetValueText(const char* text);
// No control character or blank, none of \ / : * ? " < > | & ^ % ( ), no
// trailing dot (so not made of dots alone) and no device name (CON, PRN,
// AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an ending): the
// instance name is a folder, a file and a service name.
bool IsInstanceNameText(const char* text);

// text in double quotes, for a value that IsQuotableText accepts.
std::string InQuotes(const char* text);

}  // namespace orvane

#endif  // ORVANE_CORE_COMMANDVALUES_H_
