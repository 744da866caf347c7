// The directory tree of an instance and the files copied into it: the
// instance root with its cache, password, log, data and program folders; the
// template editor's folders with the store's macros and the catalog editor's
// pages; the macro, page and CGI directories; the server program in the CGI
// directory; and the web server password file.
//
// Directories get mode 0755, the web-writable ones (macros, pages, the page
// cache) 0777, copies 0555, all with the database owner as their owner.
// Copies overwrite what is there; the page cache starts empty.
#ifndef ORVANE_LIFECYCLE_INSTANCETREE_H_
#define ORVANE_LIFECYCLE_INSTANCETREE_H_

#include <vector>

class MSInfo;

namespace orvane {

// The template editor's product macros, copied from the store's macro
// directory in this order.
const std::vector<const char*>& TemplateEditorProductMacros();

// Builds the tree. A directory that cannot be made stops the step with
// message 1 naming it; a failed password file gives message 2, an
// inaccessible page directory message 24. 1 only when every directory, copy
// and file was made.
int BuildInstanceTree(MSInfo& info, const char* installDir);

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_INSTANCETREE_H_
