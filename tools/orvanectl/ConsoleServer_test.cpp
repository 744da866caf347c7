// The console as a browser or a script meets it: the server on a free port
// of loopback, running the built orvanectl on a fresh sample machine in a
// temporary folder, asked through httplib's client and through raw sockets.
#include "ConsoleServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdlib>
#include <regex>
#include <thread>

#include "ChildCommand.h"
#include "MachineSnapshot_test.h"

namespace orvanectl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class ConsoleServerTest : public ::testing::Test {
 protected:
  // One sample machine is laid out for the suite; each test works on a copy.
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "console-template-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    s_template = pattern;
    const ChildResult laid = RunChild(
        ORVANECTL_PROGRAM, {"--machine", (s_template / "machine").string(), "machine", "init",
                            "--sample"});
    ASSERT_EQ(laid.exitCode, 0) << laid.output;
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(s_template, ignored);
  }

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "console-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    m_machine = m_folder / "machine";
    fs::copy(s_template / "machine", m_machine,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    ConsoleOptions options;
    options.program = ORVANECTL_PROGRAM;
    options.globals = {"--machine", m_machine.string()};
    m_server = std::make_unique<ConsoleServer>(options);
    std::string error;
    ASSERT_TRUE(m_server->Start(error)) << error;
    m_client = std::make_unique<httplib::Client>("127.0.0.1", m_server->Port());
    m_client->set_read_timeout(120, 0);
  }
  void TearDown() override {
    m_client.reset();
    m_server.reset();
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
  }

  httplib::Headers Signed() const {
    return {{"Cookie", std::string("orvane_console=") + m_server->Token()}};
  }
  // The headers of a change: the cookie and the session's form token.
  httplib::Headers Changing() {
    const httplib::Result session = m_client->Get("/api/session", Signed());
    EXPECT_TRUE(session && session->status == 200);
    httplib::Headers headers = Signed();
    if (session) headers.emplace("X-CSRF-Token", json::parse(session->body)["csrf"]);
    return headers;
  }
  json Document(const httplib::Result& answer) {
    EXPECT_TRUE(answer);
    if (!answer) return json();
    EXPECT_EQ(answer->status, 200) << answer->body;
    return json::parse(answer->body, nullptr, false);
  }
  json Plan(const json& request) {
    return Document(m_client->Post("/api/plan", Changing(), request.dump(), "application/json"));
  }
  // The event stream of an apply, whole.
  std::string Apply(const json& request) {
    const httplib::Result answer =
        m_client->Post("/api/apply", Changing(), request.dump(), "application/json");
    EXPECT_TRUE(answer && answer->status == 200);
    return answer ? answer->body : std::string();
  }
  // The JSON of the stream's "done" event.
  static json Done(const std::string& stream) {
    const std::string marker = "event: done\ndata: ";
    const std::size_t at = stream.find(marker);
    if (at == std::string::npos) return json();
    return json::parse(stream.substr(at + marker.size(), stream.find('\n', at + marker.size()) -
                                                              at - marker.size()));
  }
  // orvanectl itself, on the same machine.
  json Direct(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--machine", m_machine.string(), "--json"});
    return json::parse(RunChild(ORVANECTL_PROGRAM, arguments).output, nullptr, false);
  }

  // Sends bytes on a connection of its own and reads what comes back until
  // the server closes it (or the first read when closeEarly).
  std::string Raw(const std::string& bytes, bool closeEarly = false) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_server->Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      (void)!write(fd, bytes.data(), bytes.size());
      // All is said: the server sees the request end here.
      if (!closeEarly) shutdown(fd, SHUT_WR);
      char buffer[4096];
      for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(got));
        if (closeEarly) break;
      }
    }
    close(fd);
    return answer;
  }

  static fs::path s_template;
  fs::path m_folder;
  fs::path m_machine;
  std::unique_ptr<ConsoleServer> m_server;
  std::unique_ptr<httplib::Client> m_client;
};

fs::path ConsoleServerTest::s_template;

const json kAddShop2 = {{"command", "add"},
                        {"name", "shop2"},
                        {"fields", {{"host", "shop2.example"}, {"db-password", "pw-never-shown"}}}};

TEST_F(ConsoleServerTest, TheAddressCarriesTheTokenAndTheTokenBecomesACookie) {
  EXPECT_TRUE(std::regex_match(m_server->Url(),
                               std::regex("http://127\\.0\\.0\\.1:[0-9]+/\\?token=[0-9a-f]{64}")))
      << m_server->Url();
  const httplib::Result first = m_client->Get(("/?token=" + m_server->Token()).c_str());
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 303);
  EXPECT_EQ(first->get_header_value("Location"), "/");
  const std::string cookie = first->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("orvane_console=" + m_server->Token()), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos) << cookie;

  const httplib::Result page = m_client->Get("/", Signed());
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<script src=\"/console.js\""), std::string::npos);
  // No inline script: each script element names its file.
  EXPECT_EQ(std::regex_search(page->body, std::regex("<script>|<script [^>]*>[^<]")), false);
  const std::string policy = page->get_header_value("Content-Security-Policy");
  EXPECT_NE(policy.find("default-src 'self'"), std::string::npos) << policy;
  EXPECT_EQ(policy.find("unsafe-inline"), std::string::npos) << policy;

  // Another console's token is no use here.
  ConsoleOptions options;
  options.program = ORVANECTL_PROGRAM;
  ConsoleServer other(options);
  std::string error;
  ASSERT_TRUE(other.Start(error)) << error;
  EXPECT_NE(other.Token(), m_server->Token());
}

struct RefusedRequest {
  const char* what;
  const char* method;
  const char* path;
  const char* host;     // nullptr: the listening address
  bool signedIn;
  bool formToken;
  const char* body;
  int status;
};

TEST_F(ConsoleServerTest, EveryRefusalAnswersAndChangesNothingOnTheMachine) {
  const RefusedRequest cases[] = {
      {"no token", "GET", "/api/list", nullptr, false, false, "", 401},
      {"no token for the page", "GET", "/", nullptr, false, false, "", 401},
      {"a wrong token in the address", "GET", "/?token=0000", nullptr, false, false, "", 401},
      {"no token for a change", "POST", "/api/apply", nullptr, false, true,
       R"({"command": "add", "name": "shop2"})", 401},
      {"a host name that points here from elsewhere", "GET", "/api/list", "evil.example", true,
       false, "", 421},
      {"a change as a GET", "GET", "/api/apply?command=add&name=shop2", nullptr, true, false, "",
       405},
      {"a plan as a GET", "GET", "/api/plan", nullptr, true, false, "", 405},
      {"another method", "PUT", "/api/list", nullptr, true, true, "{}", 405},
      {"a change without the form token", "POST", "/api/apply", nullptr, true, false,
       R"({"command": "add", "name": "shop2"})", 403},
      {"a plan without the form token", "POST", "/api/plan", nullptr, true, false,
       R"({"command": "add", "name": "shop2"})", 403},
      {"a request that is not JSON", "POST", "/api/apply", nullptr, true, true, "add shop2", 400},
      {"a command the console does not run", "POST", "/api/apply", nullptr, true, true,
       R"({"command": "machine init"})", 400},
      {"a field that is not in the table", "POST", "/api/apply", nullptr, true, true,
       R"({"command": "add", "name": "shop2", "fields": {"machine": "/"}})", 400},
  };
  const snapshot::MachineSnapshot before = snapshot::SnapshotOf(m_machine);
  for (const RefusedRequest& c : cases) {
    SCOPED_TRACE(c.what);
    httplib::Headers headers = c.formToken ? Changing() : httplib::Headers();
    if (!c.signedIn) headers.erase("Cookie");
    if (c.signedIn && !c.formToken) headers = Signed();
    if (c.host != nullptr) headers.emplace("Host", c.host + (":" + std::to_string(m_server->Port())));
    httplib::Request request;
    request.method = c.method;
    request.path = c.path;
    request.headers = headers;
    request.body = c.body;
    if (*c.body != '\0') request.set_header("Content-Type", "application/json");
    const httplib::Result answer = m_client->send(request);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, c.status) << answer->body;
    if (c.status == 401 || c.status == 421) {
      EXPECT_EQ(answer->body, "");
    }
  }
  EXPECT_EQ(snapshot::ChangedPaths(before, snapshot::SnapshotOf(m_machine)), "");
  // The instance that the refused changes named is not there.
  const json list = Document(m_client->Get("/api/list", Signed()));
  EXPECT_EQ(list["result"]["instances"].dump().find("shop2"), std::string::npos);
}

TEST_F(ConsoleServerTest, TheApiAnswersWithOrvanectlsOwnDocuments) {
  for (const char* path : {"/api/list", "/api/status", "/api/default"}) {
    SCOPED_TRACE(path);
    const json served = Document(m_client->Get(path, Signed()));
    const std::string command = std::string(path).substr(5);
    const json direct = Direct({command});
    EXPECT_EQ(served, direct);
    EXPECT_EQ(served["command"], command);
  }
  const json fields = Document(m_client->Get("/api/fields", Signed()));
  ASSERT_TRUE(fields.is_array());
  EXPECT_EQ(fields[0]["option"], "name");
  // A script may sign with the token instead of the cookie.
  const httplib::Result bearer = m_client->Get(
      "/api/list", {{"Authorization", "Bearer " + m_server->Token()}});
  ASSERT_TRUE(bearer);
  EXPECT_EQ(bearer->status, 200);
}

TEST_F(ConsoleServerTest, APlanChangesNothingAndARefusedValueNamesItsFieldAndRule) {
  const snapshot::MachineSnapshot before = snapshot::SnapshotOf(m_machine);
  json refused = kAddShop2;
  refused["fields"]["port"] = "80";
  const json refusal = Plan(refused);
  EXPECT_EQ(refusal["exit"], 3);
  ASSERT_TRUE(refusal["result"]["refused"].is_array()) << refusal;
  EXPECT_EQ(refusal["result"]["refused"][0]["field"], "port");
  EXPECT_NE(refusal["result"]["refused"][0]["text"].get<std::string>().find(
                "a number from 1024 to 65535"),
            std::string::npos);

  const json plan = Plan(kAddShop2);
  EXPECT_EQ(plan["exit"], 0) << plan;
  EXPECT_EQ(plan["result"]["check"], true);
  EXPECT_EQ(plan["result"]["changed"], true);
  ASSERT_TRUE(plan["plan_lines"].is_array());
  EXPECT_NE(plan["plan_lines"].dump().find("tqconfig.dat"), std::string::npos) << plan;
  EXPECT_EQ(plan.dump().find("pw-never-shown"), std::string::npos);
  EXPECT_EQ(snapshot::ChangedPaths(before, snapshot::SnapshotOf(m_machine)), "");
}

TEST_F(ConsoleServerTest, AnApplyStreamsItsLinesAndEndsWithTheSummaryAndExitCode) {
  const std::string added = Apply(kAddShop2);
  EXPECT_EQ(Done(added)["exit"], 0) << added;
  EXPECT_NE(Done(added)["summary"].get<std::string>().find("instance shop2 added"),
            std::string::npos);
  const std::string created = Apply({{"command", "create"}, {"name", "shop2"}});
  EXPECT_NE(created.find("event: line\n"), std::string::npos);
  EXPECT_EQ(Done(created)["exit"], 0) << created;
  EXPECT_NE(Done(created)["summary"].get<std::string>().find("created successfully"),
            std::string::npos)
      << created;

  // A conflict with it names the field, with the library's text of the rule.
  const json conflict =
      Plan({{"command", "add"}, {"name", "shop3"}, {"fields", {{"host", "shop2.example"}}}});
  EXPECT_EQ(conflict["exit"], 3);
  EXPECT_NE(conflict["result"]["refused"].dump().find("\"field\":\"host\""), std::string::npos)
      << conflict;

  const json shown = Direct({"show", "shop2"});
  EXPECT_EQ(shown["result"]["instance"]["db-password"], "set");
  bool listedCreated = false;
  const json listed = Direct({"list"});
  for (const json& instance : listed["result"]["instances"]) {
    listedCreated = listedCreated || (instance["name"] == "shop2" && instance["created"] == true);
  }
  EXPECT_TRUE(listedCreated) << listed;
  // The secret went on standard input: neither the stream nor the log has it.
  const httplib::Result log = m_client->Get("/api/log", Signed());
  ASSERT_TRUE(log);
  EXPECT_NE(log->body.find("instance shop2 added"), std::string::npos);
  EXPECT_EQ((added + created + log->body).find("pw-never-shown"), std::string::npos);
}

TEST_F(ConsoleServerTest, TwoBrowsersAndTheCommandLineAtOnceLoseNoChange) {
  const struct {
    const char* name;
    const char* host;
  } adds[] = {{"shop1", "shop1.example"}, {"shop2", "shop2.example"}, {"shop3", "shop3.example"}};
  std::vector<std::thread> runs;
  std::atomic<int> done{0};
  const httplib::Headers headers = Changing();
  // Two through the console, each on a connection of its own; one by orvanectl itself.
  for (int i = 0; i < 2; ++i) {
    runs.emplace_back([this, &adds, &done, &headers, i] {
      httplib::Client browser("127.0.0.1", m_server->Port());
      browser.set_read_timeout(120, 0);
      const json request = {{"command", "add"}, {"name", adds[i].name},
                            {"fields", {{"host", adds[i].host}}}};
      const httplib::Result answer =
          browser.Post("/api/apply", headers, request.dump(), "application/json");
      if (answer && Done(answer->body)["exit"] == 0) ++done;
    });
  }
  const ChildResult direct = RunChild(ORVANECTL_PROGRAM, {"--machine", m_machine.string(), "add",
                                                          adds[2].name, "--host", adds[2].host});
  for (std::thread& run : runs) run.join();
  EXPECT_EQ(direct.exitCode, 0) << direct.output;
  EXPECT_EQ(done.load(), 2);
  // Each sees the others' records on its next look.
  const json listed = Document(m_client->Get("/api/list", Signed()));
  for (const auto& add : adds) {
    EXPECT_NE(listed["result"]["instances"].dump().find(std::string("\"") + add.name + "\""),
              std::string::npos)
        << add.name << " is lost: " << listed;
  }
}

TEST_F(ConsoleServerTest, MarkupInAFieldComesBackAsDataNeverAsAPage) {
  json add = kAddShop2;
  add["fields"]["root"] = "C:\\<script>alert(1)</script>";
  EXPECT_EQ(Done(Apply(add))["exit"], 0);
  const httplib::Result shown = m_client->Get("/api/show?name=shop2", Signed());
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->get_header_value("Content-Type"), "application/json");
  EXPECT_EQ(shown->get_header_value("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(json::parse(shown->body)["result"]["instance"]["root"],
            "C:\\<script>alert(1)</script>");
  // The page's script builds its views from text nodes alone.
  const httplib::Result script = m_client->Get("/console.js", Signed());
  ASSERT_TRUE(script);
  EXPECT_EQ(script->body.find("innerHTML"), std::string::npos);
  EXPECT_EQ(script->body.find("insertAdjacentHTML"), std::string::npos);
  EXPECT_NE(script->body.find("textContent"), std::string::npos);
}

TEST_F(ConsoleServerTest, BadInputIsAnsweredOrDroppedAndTheServerKeepsServing) {
  // A body far over the limit: refused before it is read, or the connection dropped.
  const httplib::Result huge = m_client->Post("/api/plan", Changing(),
                                              std::string(10 << 20, '{'), "application/json");
  if (huge) {
    EXPECT_EQ(huge->status, 413);
  }
  // Requests that are not HTTP, or stop half-way.
  EXPECT_EQ(Raw("GARBAGE\r\n\r\n").find("200 OK"), std::string::npos);
  Raw("GET /api/list HTTP/1.1\r\nHost: 127.0.0");
  Raw(std::string(100000, 'A') + "\r\n\r\n");
  const httplib::Result after = m_client->Get("/api/fields", Signed());
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

TEST_F(ConsoleServerTest, AHundredConnectionsAtOnceAreEachAnswered) {
  constexpr int kClients = 100;
  std::atomic<int> answered{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([this, &answered] {
      httplib::Client client("127.0.0.1", m_server->Port());
      client.set_read_timeout(120, 0);
      client.set_connection_timeout(120, 0);
      const httplib::Result answer = client.Get("/api/fields", Signed());
      if (answer && answer->status == 200 && json::parse(answer->body).is_array()) ++answered;
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(answered.load(), kClients);
}

TEST_F(ConsoleServerTest, AClientThatLeavesMidStreamLeavesTheCommandToFinish) {
  const std::string body = kAddShop2.dump();
  const std::string request = "POST /api/apply HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(m_server->Port()) + "\r\nCookie: orvane_console=" +
                              m_server->Token() + "\r\nX-CSRF-Token: " +
                              Changing().find("X-CSRF-Token")->second +
                              "\r\nContent-Type: application/json\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body;
  // The answer's head, then the connection is gone.
  EXPECT_NE(Raw(request, true).find("200"), std::string::npos);
  // Stopping waits for the running command: its work is done, not cut off.
  m_server->Stop();
  EXPECT_EQ(Direct({"show", "shop2"})["exit"], 0);
}

}  // namespace
}  // namespace orvanectl
