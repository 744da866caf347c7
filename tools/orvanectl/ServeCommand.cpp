// serve: the web console (ConsoleServer.h) until interrupted.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include <pthread.h>

#include "Commands.h"
#include "ConsoleServer.h"
#include "Host.h"

namespace orvanectl {

namespace {

struct ServeRequest {
  std::string listen = "127.0.0.1:0";
};

bool Loopback(const std::string& address) {
  return address.rfind("127.", 0) == 0 || address == "::1" || address == "localhost";
}

int Serve(Context& context, const ServeRequest& request) {
  Host& host = Host::Get();
  if (host.Json()) {
    host.ErrorText("serve prints the console's address, not a document: leave out --json");
    return kExitUsage;
  }
  const std::size_t colon = request.listen.rfind(':');
  ConsoleOptions options;
  try {
    if (colon == std::string::npos) throw std::invalid_argument("no port");
    options.address = request.listen.substr(0, colon);
    options.port = std::stoi(request.listen.substr(colon + 1));
  } catch (const std::exception&) {
    host.ErrorText("--listen takes ADDRESS:PORT (port 0: a free one), not " + request.listen);
    return kExitUsage;
  }
  if (options.address.size() > 2 && options.address.front() == '[') {
    options.address = options.address.substr(1, options.address.size() - 2);
  }
  if (!Loopback(options.address)) {
    std::cerr << "warning: the console listens on " << options.address
              << ", where other machines reach it; whoever learns its address with the token "
                 "may change this machine"
              << std::endl;
  }
  std::error_code error;
  options.program = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) {
    host.ErrorText("cannot find orvanectl's own program to run the console's commands");
    return kExitFailed;
  }
  options.globals = {"--machine", context.machineRoot};
  if (!context.data.empty()) options.globals.insert(options.globals.end(), {"--data", context.data});

  // The server's threads inherit the mask: the interruption reaches sigwait.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  ConsoleServer server(options);
  std::string reason;
  if (!server.Start(reason)) {
    host.ErrorText(reason);
    return kExitFailed;
  }
  std::cout << "orvane console: " << server.Url() << std::endl;
  int received = 0;
  sigwait(&stops, &received);
  server.Stop();
  return kExitDone;
}

}  // namespace

void AddServeCommand(CLI::App& app, Context& context) {
  auto request = std::make_shared<ServeRequest>();
  CLI::App* serve = app.add_subcommand(
      "serve", "The web console: the instances, their fields, plans and live progress in a "
               "browser, until interrupted");
  serve->add_option("--listen", request->listen,
                    "ADDRESS:PORT to listen on (default 127.0.0.1:0, a free port on loopback; "
                    "another address is reachable from other machines)")
      ->type_name("ADDRESS:PORT");
  serve->callback([&context, request] {
    context.Choose("serve", [&context, request] { return Serve(context, *request); });
  });
}

}  // namespace orvanectl
