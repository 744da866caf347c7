// The two files that load the product's page cache plug-in into the web
// server, magnus.conf and obj.conf, in its configuration directory.
#ifndef ORVANE_CONFIG_PLUGINFILES_H_
#define ORVANE_CONFIG_PLUGINFILES_H_

namespace orvane {

// Writes configDir\magnus.conf and configDir\obj.conf anew, each previous
// file kept as magnus.old.conf and obj.old.conf. 0 with message 3 (the path)
// when one cannot be written; that file keeps its previous content. A file
// that holds its lines already is not written again.
int WritePluginFiles(const char* configDir, const char* installDir);

}  // namespace orvane

#endif  // ORVANE_CONFIG_PLUGINFILES_H_
