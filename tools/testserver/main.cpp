// testserver: the scripted world/chat server for tests, on loopback only.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "plat/platform.h"
#include "plat/sockets.h"
#include "plat/termination.h"
#include "tools/testserver/responders.h"
#include "tools/testserver/server.h"

namespace {

void usage(FILE* to) {
  std::fprintf(to,
               "usage: testserver --script FILE [--world-port N] [--chat-port N] [--gateway-port N]\n"
               "                  [--bind 127.0.0.1]\n"
               "                  [--ports-file FILE] [--transcript FILE] [--max-seconds S]\n"
               "                  [--max-connections N] [--idle-seconds S] [--profile NAME]\n"
               "\n"
               "Plays FILE against one world and one chat client on a loopback address, and with\n"
               "--gateway-port (or gateway steps in FILE) against the updater's gateway query.\n"
               "Bounds:\n"
               "  --bind             127.0.0.0/8 or ::1 only (default 127.0.0.1)\n"
               "  --max-seconds      ends after S seconds (default 60, at most %u)\n"
               "  --idle-seconds     ends after S seconds without traffic (default 30)\n"
               "  --max-connections  ends when more than N connections arrive (default 16)\n"
               "  payload cap        VELDRA_NET_MAX_PAYLOAD bytes (default 1048576); a longer\n"
               "                     frame drops the connection\n"
               "  the script's end   ends 200 ms after the last step; SIGTERM ends at once\n"
               "Ports 0 (default) pick free ports; \"world PORT\", \"chat PORT\" (and \"gateway PORT\")\n"
               "go to stdout and to --ports-file. Exit code 0: every expect met; 1: one failed or timed\n"
               "out (the transcript names the line); 2: usage error.\n",
               testserver::kMaxSecondsLimit);
  std::string names;
  for (const std::string& p : testserver::profileNames()) names += " " + p;
  std::fprintf(to, "Profiles:%s\n", names.empty() ? " (none)" : names.c_str());
}

int fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return 2;
}

bool count(const char* text, uint32_t lo, uint32_t hi, uint32_t& out) {
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || text[0] == '-' || v < lo || v > hi) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  testserver::Options o;
  o.printPorts = true;
  o.maxPayload = plat::environment().netMaxPayload;
  std::string scriptFile;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      usage(stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      usage(stderr);
      return fail("testserver: " + a + " needs a value");
    }
    const char* v = argv[++i];
    uint32_t n = 0;
    if (a == "--script") {
      scriptFile = v;
    } else if (a == "--bind") {
      o.bind = v;
    } else if (a == "--ports-file") {
      o.portsFile = v;
    } else if (a == "--transcript") {
      o.transcriptFile = v;
    } else if (a == "--profile") {
      o.profile = v;
    } else if (a == "--world-port" && count(v, 0, 65535, n)) {
      o.worldPort = static_cast<uint16_t>(n);
    } else if (a == "--chat-port" && count(v, 0, 65535, n)) {
      o.chatPort = static_cast<uint16_t>(n);
    } else if (a == "--gateway-port" && count(v, 0, 65535, n)) {
      o.gatewayPort = static_cast<uint16_t>(n);
    } else if (a == "--max-seconds" && count(v, 1, testserver::kMaxSecondsLimit, n)) {
      o.maxSeconds = n;
    } else if (a == "--idle-seconds" && count(v, 1, testserver::kMaxSecondsLimit, n)) {
      o.idleSeconds = n;
    } else if (a == "--max-connections" && count(v, 1, 1024, n)) {
      o.maxConnections = n;
    } else {
      usage(stderr);
      return fail("testserver: bad option " + a + " " + v);
    }
  }
  // The address is checked before anything else is read or opened.
  if (!plat::net::isLoopbackAddress(o.bind)) return fail("testserver: loopback addresses only");
  if (scriptFile.empty()) {
    usage(stderr);
    return fail("testserver: --script is required");
  }
  if (!o.profile.empty() && !testserver::profileExists(o.profile)) return fail("testserver: unknown profile " + o.profile);

  std::ifstream in(scriptFile, std::ios::binary);
  if (!in) return fail("testserver: cannot read " + scriptFile);
  std::ostringstream text;
  text << in.rdbuf();
  testserver::Script script;
  try {
    script = testserver::Script::parse(text.str());
  } catch (const testserver::ScriptError& e) {
    return fail("testserver: " + scriptFile + " " + e.what());
  }

  plat::termination::catchSignals();
  testserver::Server server(std::move(o), std::move(script));
  std::string error;
  if (!server.listen(error)) return fail(error);
  return server.run();
}
