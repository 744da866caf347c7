// Lines of keyword files taken by their first word: reading whole lines,
// finding a keyword, adding a keyword line that is missing.
#ifndef ORVANE_CONFIG_KEYWORDLINES_H_
#define ORVANE_CONFIG_KEYWORDLINES_H_

#include <string>
#include <vector>

#include "orvane/core/KelString.h"

namespace orvane {

// The first word of a line: leading delimiters are skipped, and the word
// ends at the next delimiter or line end. Empty when the line holds none.
std::string FirstWord(const std::string& line, const char* delimiters);

// Every word of a line, split at delimiters and line ends.
std::vector<std::string> Words(const std::string& line, const char* delimiters);

// 1 when the file can be read and no line of it has key as its first word
// (words split at spaces); 0 when one has, or the file cannot be read.
int KeyMissing(KelString path, const char* key);

// Makes sure the file holds a line whose first word (split at delimiters) is
// key: when none has, an empty line and "key value" are appended. The file
// is rewritten whole either way and its previous content kept as its backup
// (tessaly.ini: tessaly.old.ini). 1 done; 0 when the file cannot be read,
// and 0 with message 3 and the file's path when it cannot be replaced (a
// full disk) or value would put a line end into it, leaving the file
// unchanged.
int AddIfMissing(const char* key, const char* path, const char* delimiters, const char* value);

}  // namespace orvane

#endif  // ORVANE_CONFIG_KEYWORDLINES_H_
