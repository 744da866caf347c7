#include "ConsoleServer.h"

#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "ChangeSetReport.h"
#include "ChildCommand.h"
#include "ConsoleAssets.h"
#include "ConsoleRequests.h"
#include "RandomToken.h"

namespace orvanectl {

namespace {

using nlohmann::json;

constexpr char kCookie[] = "orvane_console";
constexpr std::size_t kLogLimit = 2000;  // the session's log keeps its newest lines
constexpr std::size_t kWorkers = 16;

constexpr char kPolicy[] =
    "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; object-src 'none'; base-uri 'none'; form-action 'self'; "
    "frame-ancestors 'none'";

// The value of cookie name in a Cookie header; "" when it is not there.
std::string CookieValue(const std::string& header, const std::string& name) {
  std::size_t at = 0;
  while (at < header.size()) {
    std::size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string pair = header.substr(at, end - at);
    const std::size_t first = pair.find_first_not_of(' ');
    pair = first == std::string::npos ? "" : pair.substr(first);
    if (pair.compare(0, name.size() + 1, name + "=") == 0) return pair.substr(name.size() + 1);
    at = end + 1;
  }
  return std::string();
}

void SendJson(httplib::Response& response, const json& document, int status = 200) {
  response.status = status;
  response.set_content(document.dump(-1, ' ', false, json::error_handler_t::replace),
                       "application/json");
}

void Refuse(httplib::Response& response, int status, const std::string& reason) {
  SendJson(response, {{"error", reason}}, status);
}

// One server-sent event: its data is a JSON text, so a line end in it stays
// inside the event.
std::string Event(const std::string& name, const json& data) {
  return "event: " + name + "\ndata: " + data.dump(-1, ' ', false, json::error_handler_t::replace) +
         "\n\n";
}

// "db create" of "db create -- shop1": the words before the first option.
std::string CommandName(const std::vector<std::string>& arguments) {
  std::string name;
  for (const std::string& word : arguments) {
    if (word.empty() || word[0] == '-') break;
    name += (name.empty() ? "" : " ") + word;
  }
  return name;
}

bool Wildcard(const std::string& address) { return address == "0.0.0.0" || address == "::"; }

std::string HostName() {
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("localhost");
}

}  // namespace

struct ConsoleServer::Impl {
  ConsoleOptions options;
  httplib::Server server;
  std::thread thread;
  std::string token;
  std::string formToken;
  std::string urlHost;
  std::set<std::string> hosts;  // the Host headers that name this server
  int port = 0;
  std::atomic<bool> listened{false};  // the server's loop has ended
  int listening = -1;                 // the socket it listens on

  std::mutex logMutex;
  std::deque<json> log;

  void Record(const std::string& command, const std::string& kind, const std::string& text) {
    std::lock_guard<std::mutex> lock(logMutex);
    log.push_back({{"command", command}, {"kind", kind}, {"text", text}});
    if (log.size() > kLogLimit) log.pop_front();
  }

  std::vector<std::string> Arguments(std::vector<std::string> words) const {
    std::vector<std::string> arguments = options.globals;
    arguments.insert(arguments.end(), words.begin(), words.end());
    return arguments;
  }

  // A --json run of orvanectl; its document, or an answer of 500 when it
  // gave none. A plan's document also carries "plan_lines", the lines that
  // orvanectl --check --diff prints for its change set.
  void RunDocument(httplib::Response& response, const std::vector<std::string>& words,
                   const std::string& input = "") {
    ChildResult run = RunChild(options.program, Arguments(words), input);
    json document = json::parse(run.output, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
      Refuse(response, 500, "orvanectl gave no document (exit " + std::to_string(run.exitCode) + ")");
      return;
    }
    const json* changes = document.contains("result") ? &document["result"] : nullptr;
    if (changes != nullptr && changes->contains("change_set")) {
      document["plan_lines"] = ChangeSetLines((*changes)["change_set"]);
    }
    if (document.contains("messages") && document["messages"].is_array()) {
      for (const json& message : document["messages"]) {
        Record(document.value("command", ""), message.value("kind", ""), message.value("text", ""));
      }
    }
    SendJson(response, document);
  }

  bool Authorized(const httplib::Request& request) const {
    const std::string bearer = "Bearer ";
    const std::string authorization = request.get_header_value("Authorization");
    if (authorization.compare(0, bearer.size(), bearer) == 0 &&
        SameSecret(authorization.substr(bearer.size()), token)) {
      return true;
    }
    return SameSecret(CookieValue(request.get_header_value("Cookie"), kCookie), token);
  }

  // Who may ask, before any route sees the request.
  httplib::Server::HandlerResponse Admit(const httplib::Request& request,
                                         httplib::Response& response) {
    using Outcome = httplib::Server::HandlerResponse;
    if (hosts.count(request.get_header_value("Host")) == 0) {
      response.status = 421;
      return Outcome::Handled;
    }
    if (!Authorized(request)) {
      // The token of the printed address becomes the cookie, and the page
      // is shown again without it, out of the address bar and the history.
      if (request.method == "GET" && request.has_param("token") &&
          SameSecret(request.get_param_value("token"), token)) {
        response.set_header("Set-Cookie", std::string(kCookie) + "=" + token +
                                              "; HttpOnly; SameSite=Strict; Path=/");
        response.set_redirect(request.path, 303);
        return Outcome::Handled;
      }
      response.status = 401;
      return Outcome::Handled;
    }
    if (request.method != "GET" && request.method != "POST") {
      response.status = 405;
      response.set_header("Allow", "GET, POST");
      return Outcome::Handled;
    }
    if (request.method == "POST" &&
        !SameSecret(request.get_header_value("X-CSRF-Token"), formToken)) {
      Refuse(response, 403, "the form token is missing or wrong");
      return Outcome::Handled;
    }
    return Outcome::Unhandled;
  }

  // The request body as a command, or an answer of 400.
  bool Command(const httplib::Request& request, httplib::Response& response,
               CommandRequest& command) {
    command = CommandFor(json::parse(request.body, nullptr, false));
    if (command.refusal.empty()) return true;
    Refuse(response, 400, command.refusal);
    return false;
  }

  // A command being applied: its lines go to the log as they are read, and
  // the last one is its summary.
  struct Application {
    Application(Impl& impl, const CommandRequest& command)
        : server(impl),
          name(CommandName(command.arguments)),
          child(impl.options.program, impl.Arguments(command.arguments), command.input,
                ChildCommand::Errors::kWithOutput) {}
    std::optional<std::string> NextLine() {
      std::optional<std::string> line;
      while ((line = child.NextLine()) && line->empty()) {
      }
      if (line) {
        summary = *line;
        server.Record(name, "line", *line);
      }
      return line;
    }
    // Reads what is left and waits for the command's end.
    int Finish() {
      while (NextLine()) {
      }
      if (!exitCode) {
        exitCode = child.Finish();
        server.Record(name, "exit", std::to_string(*exitCode));
      }
      return *exitCode;
    }
    Impl& server;
    std::string name;
    ChildCommand child;
    std::string summary;
    std::optional<int> exitCode;
  };

  // Starts the command and streams its lines. The command runs to its end
  // whatever the client does: a client that goes away stops the stream, and
  // when the answer is let go, the rest is read and the command waited for
  // (it holds the data file's lock and finishes its work).
  void Stream(const CommandRequest& command, httplib::Response& response) {
    auto application = std::make_shared<Application>(*this, command);
    response.set_chunked_content_provider(
        "text/event-stream",
        [application](std::size_t, httplib::DataSink& sink) {
          for (std::optional<std::string> line; (line = application->NextLine());) {
            const std::string event = Event("line", *line);
            if (!sink.write(event.data(), event.size())) return false;
          }
          const int code = application->Finish();
          const std::string done =
              Event("done", {{"exit", code}, {"summary", application->summary}});
          sink.write(done.data(), done.size());
          sink.done();
          return true;
        },
        [application](bool) { application->Finish(); });
  }

  void Routes() {
    for (const ConsoleAsset& asset : ConsoleAssets()) {
      server.Get(asset.path, [&asset](const httplib::Request&, httplib::Response& response) {
        response.set_content(asset.bytes, asset.size, asset.type);
      });
    }
    server.Get("/api/session", [this](const httplib::Request&, httplib::Response& response) {
      SendJson(response, {{"csrf", formToken}});
    });
    server.Get("/api/fields", [](const httplib::Request&, httplib::Response& response) {
      SendJson(response, FieldTable());
    });
    server.Get("/api/list", [this](const httplib::Request&, httplib::Response& response) {
      RunDocument(response, {"--json", "list"});
    });
    server.Get("/api/status", [this](const httplib::Request&, httplib::Response& response) {
      RunDocument(response, {"--json", "status"});
    });
    for (const char* command : {"show", "default"}) {
      server.Get(std::string("/api/") + command,
                 [this, command](const httplib::Request& request, httplib::Response& response) {
                   const std::string name = request.get_param_value("name");
                   if (name.empty() && std::string(command) == "show") {
                     Refuse(response, 400, "show needs the instance's name");
                     return;
                   }
                   std::vector<std::string> words = {"--json", command};
                   if (!name.empty()) words.insert(words.end(), {"--", name});
                   RunDocument(response, words);
                 });
    }
    server.Get("/api/log", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard<std::mutex> lock(logMutex);
      SendJson(response, json(log));
    });
    server.Post("/api/plan", [this](const httplib::Request& request, httplib::Response& response) {
      CommandRequest command;
      if (!Command(request, response, command)) return;
      std::vector<std::string> words = {"--json", "--check", "--diff"};
      words.insert(words.end(), command.arguments.begin(), command.arguments.end());
      RunDocument(response, words, command.input);
    });
    server.Post("/api/apply", [this](const httplib::Request& request, httplib::Response& response) {
      CommandRequest command;
      if (Command(request, response, command)) Stream(command, response);
    });
    // What changes is POST alone: a GET of it is refused, not run.
    for (const char* path : {"/api/plan", "/api/apply"}) {
      server.Get(path, [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Allow", "POST");
        Refuse(response, 405, "this changes the machine: POST it with the form token");
      });
    }
  }
};

ConsoleServer::ConsoleServer(ConsoleOptions options) : m_impl(std::make_unique<Impl>()) {
  m_impl->options = std::move(options);
}

ConsoleServer::~ConsoleServer() { Stop(); }

bool ConsoleServer::Start(std::string& error) {
  Impl& impl = *m_impl;
  std::optional<std::string> token = RandomToken();
  std::optional<std::string> formToken = RandomToken();
  if (!token || !formToken) {
    error = "cannot draw the console's tokens from the system's random source";
    return false;
  }
  impl.token = *token;
  impl.formToken = *formToken;
  // A client that goes away mid-answer must not end the process.
  std::signal(SIGPIPE, SIG_IGN);
  impl.server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  impl.server.set_payload_max_length(impl.options.maxBody);
  impl.server.set_read_timeout(5, 0);
  impl.server.set_write_timeout(5, 0);
  impl.server.set_keep_alive_timeout(2);
  impl.server.set_default_headers({{"Content-Security-Policy", kPolicy},
                                   {"X-Content-Type-Options", "nosniff"},
                                   {"Referrer-Policy", "no-referrer"},
                                   {"X-Frame-Options", "DENY"},
                                   {"Cache-Control", "no-store"}});
  // The address is this process's alone (no SO_REUSEPORT, which would let
  // another program of the same user bind it too).
  impl.server.set_socket_options([&impl](socket_t socket) {
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    impl.listening = socket;
  });
  impl.server.set_pre_routing_handler(
      [&impl](const httplib::Request& request, httplib::Response& response) {
        return impl.Admit(request, response);
      });
  impl.Routes();
  const std::string& address = impl.options.address;
  impl.port = impl.options.port == 0 ? impl.server.bind_to_any_port(address)
                                     : (impl.server.bind_to_port(address, impl.options.port)
                                            ? impl.options.port
                                            : -1);
  if (impl.port <= 0) {
    error = "cannot listen on " + address + ":" + std::to_string(impl.options.port);
    return false;
  }
  // The library's backlog of five drops the connections of a burst, whose
  // clients then wait seconds to try again: the system's own limit instead.
  listen(impl.listening, SOMAXCONN);
  impl.urlHost = Wildcard(address) ? HostName()
                 : address.find(':') != std::string::npos ? "[" + address + "]"
                                                          : address;
  const std::string port = ":" + std::to_string(impl.port);
  impl.hosts = {impl.urlHost + port};
  if (address == "127.0.0.1" || address == "::1") impl.hosts.insert("localhost" + port);
  if (Wildcard(address)) impl.hosts.insert("localhost" + port);
  impl.thread = std::thread([&impl] {
    impl.server.listen_after_bind();
    impl.listened = true;
  });
  // A stop before the server runs would be lost, and it would then run on.
  while (!impl.server.is_running() && !impl.listened) std::this_thread::yield();
  return true;
}

void ConsoleServer::Stop() {
  if (!m_impl->thread.joinable()) return;
  m_impl->server.stop();
  m_impl->thread.join();
}

int ConsoleServer::Port() const { return m_impl->port; }

std::string ConsoleServer::Url() const {
  return "http://" + m_impl->urlHost + ":" + std::to_string(m_impl->port) +
         "/?token=" + m_impl->token;
}

const std::string& ConsoleServer::Token() const { return m_impl->token; }

}  // namespace orvanectl
