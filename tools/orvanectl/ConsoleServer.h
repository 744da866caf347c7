// The web console: orvanectl's commands behind a page and a JSON API.
//
// Every API request runs orvanectl itself as a child (`orvanectl --machine
// DIR --json list` and so on) and answers with its JSON document, so that the
// console and the command line never disagree and the data file's lock is
// the one every orvanectl run takes. A change is planned first (POST
// /api/plan: the --check --diff document); POST /api/apply runs it and
// streams its status and progress lines as server-sent events, ending with an
// event "done" carrying the exit code and the summary line.
//
// Who may use it: every request needs the session's token (once as ?token=,
// which sets an HttpOnly, SameSite=Strict cookie and leads to the same page
// without it; scripts may send "Authorization: Bearer TOKEN"), or it gets 401
// and an empty body. The Host header must name the listening address (a page
// of another site that a DNS name points here is refused with 421). POST
// alone changes anything and needs the form token of GET /api/session in the
// X-CSRF-Token header (403 without); a body over the limit gets 413. Every
// response carries a Content-Security-Policy that allows the console's own
// files and nothing else, inline script included.
#ifndef ORVANECTL_CONSOLESERVER_H_
#define ORVANECTL_CONSOLESERVER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orvanectl {

struct ConsoleOptions {
  std::string address = "127.0.0.1";  // where to listen
  int port = 0;                       // 0: a free port
  std::string program;                // the orvanectl that runs each command
  std::vector<std::string> globals;   // before every command: --machine DIR [--data FILE]
  std::size_t maxBody = 1 << 20;      // a longer request body is refused
};

class ConsoleServer {
 public:
  explicit ConsoleServer(ConsoleOptions options);
  ~ConsoleServer();
  ConsoleServer(const ConsoleServer&) = delete;
  ConsoleServer& operator=(const ConsoleServer&) = delete;

  // Draws the tokens, binds and serves on threads of its own. False with
  // the reason when the tokens cannot be drawn or the address not bound.
  bool Start(std::string& error);
  // Stops taking requests; a command that runs finishes first.
  void Stop();

  int Port() const;
  // http://ADDRESS:PORT/?token=TOKEN, the address as the Host header must give it.
  std::string Url() const;
  const std::string& Token() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace orvanectl

#endif  // ORVANECTL_CONSOLESERVER_H_
