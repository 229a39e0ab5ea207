// The HTTP downloader against the scripted server: URLs, the request bytes, the length query's
// heads and redirects, broken segment answers, pacing and progress.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "tests/support/nginx_fixture.h"
#include "tests/support/scripted_http_server.h"
#include "tests/updater/http_fixture.h"
#include "updater/http_request.h"
#include "updater/http_url.h"

namespace {

using http_test::HttpTest;
using http_test::rangesOf;
using HttpDownload = HttpTest;
using veldra_test::HttpReply;
using veldra_test::HttpRequest;
using veldra_test::ScriptedHttpServer;
namespace up = updater;

TEST_F(HttpDownload, UrlParsing) {
  struct Case {
    std::string url;
    bool ok;
    std::string server, object;
    uint16_t port;
  };
  const Case cases[] = {
      {"http://example.com", true, "example.com", "/", 80},
      {"HTTP://Host.Example:8080/a/b.zip?x=1&y=2", true, "Host.Example", "/a/b.zip?x=1&y=2", 8080},
      {"hTtP://10.0.0.1/autoupd/version.txt", true, "10.0.0.1", "/autoupd/version.txt", 80},
      {"http://h?q=1", true, "h", "/?q=1", 80},
      {"http://h:1/", true, "h", "/", 1},
      {"http://h:65535", true, "h", "/", 65535},
      {"http://h:0/", false, "", "", 0},
      {"http://h:65536/", false, "", "", 0},
      {"http://h:/x", false, "", "", 0},
      {"http://h:8a/x", false, "", "", 0},
      {"http:///x", false, "", "", 0},
      {"http://", false, "", "", 0},
      {"https://h/x", false, "", "", 0},
      {"ftp://h/x", false, "", "", 0},
      {"h/x", false, "", "", 0},
      {"", false, "", "", 0},
      {"http://h/a b", false, "", "", 0},
      {"http://h/a\r\nX-Injected: 1", false, "", "", 0},
      {"http://h/a\tb", false, "", "", 0},
      {std::string("http://h/a\0b", 12), false, "", "", 0},
      {"http://h/a\x7F", false, "", "", 0},
      {"http://user@h/x", false, "", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const auto u = up::parseHttpUrl(c.url);
    ASSERT_EQ(u.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(u->server, c.server);
    EXPECT_EQ(u->object, c.object);
    EXPECT_EQ(u->port, c.port);
  }
}

TEST_F(HttpDownload, RequestBytes) {
  const up::HttpUrl url{"patch.example", "/autoupd/1.0.1.zip", 8080};
  const std::string common =
      "Accept:*/*\r\n"
      "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
      "Connection:close\r\n";
  struct Case {
    const char* name;
    std::string cookie, referer;
    int32_t first, last;
    std::string expected;
  };
  const std::string get = "GET /autoupd/1.0.1.zip HTTP/1.1\r\nHost: patch.example \r\n";
  const Case cases[] = {
      {"plain", "", "", 0, -1, get + common + "Range: bytes=0-\r\n\r\n"},
      {"cookie", "sid=1", "", 1234, -1, get + common + "Set Cookie:0sid=1\r\nRange: bytes=1234-\r\n\r\n"},
      {"last above first", "", "", 5, 9, get + common + "Range: bytes=5-9\r\n\r\n"},
      {"last not above first", "", "", 5, 5, get + common + "Range: bytes=5-\r\n\r\n"},
      {"referer", "", "http://r/", 0, -1,
       get + "Referer: http://r/ \r\n" + common + "Range: bytes=0-\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(up::buildHttpRequest(url, c.cookie, c.first, c.last, c.referer), c.expected);
  }
}

TEST_F(HttpDownload, SplitSegments) {
  struct Case {
    int32_t length, count;
    std::vector<std::pair<int32_t, int32_t>> spans;
  };
  const Case cases[] = {
      {10, 4, {{0, 1}, {2, 3}, {4, 5}, {6, 9}}},
      {3, 4, {{0, -1}, {0, -1}, {0, -1}, {0, 2}}},
      {1, 4, {{0, -1}, {0, -1}, {0, -1}, {0, 0}}},
      {8, 4, {{0, 1}, {2, 3}, {4, 5}, {6, 7}}},
      {10241, 4, {{0, 2559}, {2560, 5119}, {5120, 7679}, {7680, 10240}}},
      {7, 1, {{0, 6}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const auto spans = up::splitSegments(c.length, c.count);
    ASSERT_EQ(spans.size(), c.spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
      EXPECT_EQ(spans[i].first, c.spans[i].first) << i;
      EXPECT_EQ(spans[i].last, c.spans[i].second) << i;
    }
  }
}

// ---- the length query and its heads ----

std::string redirectHead(const std::string& location, const std::string& cookieLine) {
  std::vector<std::string> h{"Location: " + location, "Content-Length: 0"};
  if (!cookieLine.empty()) h.push_back(cookieLine);
  return ScriptedHttpServer::head("HTTP/1.1 302 Found", h);
}

TEST_F(HttpDownload, LengthQueryTable) {
  const std::string content = http_test::pattern(5000);
  struct Case {
    const char* name;
    // Fills the server's "/f" (and more routes); the server and its URLs are given.
    std::function<void(ScriptedHttpServer&)> script;
    int queryCode;
    int64_t length;
    int startCode;
  };
  auto fileAt = [&](const std::string& body) {
    return [body](const HttpRequest& r) { return ScriptedHttpServer::serveFile(r, body); };
  };
  auto fixed = [](std::string head, std::string body = {}) {
    return [head, body](const HttpRequest&) { return HttpReply{head, body}; };
  };
  const Case cases[] = {
      {"redirect with a cookie",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(redirectHead(s.url("/target"), "Set-Cookie: sid=1; path=/")));
         s.route("/target", fileAt(content));
       },
       0, 5000, 0},
      {"redirect without Set-Cookie",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(redirectHead(s.url("/target"), "")));
         s.route("/target", fileAt(content));
       },
       up::HTTP_REDIRECT_NO_COOKIE, 0, up::HTTP_LENGTH_FAILED},
      {"cookie without ;",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(redirectHead(s.url("/target"), "Set-Cookie: sid=1")));
         s.route("/target", fileAt(content));
       },
       up::HTTP_REDIRECT_NO_COOKIE, 0, up::HTTP_LENGTH_FAILED},
      {"redirect without Location",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 301 Moved", {"Set-Cookie: a=b; path=/"})));
       },
       up::HTTP_REDIRECT_NO_LOCATION, 0, up::HTTP_LENGTH_FAILED},
      {"relative Location",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(redirectHead("/target", "Set-Cookie: sid=1; path=/")));
         s.route("/target", fileAt(content));
       },
       up::HTTP_REDIRECT_UNRESOLVED, 0, up::HTTP_LENGTH_FAILED},
      {"Location with a blank",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(redirectHead(s.url("/tar get"), "Set-Cookie: sid=1; path=/")));
       },
       up::HTTP_REDIRECT_UNRESOLVED, 0, up::HTTP_LENGTH_FAILED},
      {"ten redirects, then the file",
       [&](ScriptedHttpServer& s) {
         for (int i = 0; i < 10; ++i) {
           const std::string from = i == 0 ? "/f" : "/r" + std::to_string(i);
           const std::string to = i == 9 ? "/target" : "/r" + std::to_string(i + 1);
           s.route(from, fixed(redirectHead(s.url(to), "Set-Cookie: n=" + std::to_string(i) + "; path=/")));
         }
         s.route("/target", fileAt(content));
       },
       0, 5000, 0},
      {"eleven redirects",
       [&](ScriptedHttpServer& s) {
         for (int i = 0; i < 11; ++i) {
           const std::string from = i == 0 ? "/f" : "/r" + std::to_string(i);
           const std::string to = i == 10 ? "/target" : "/r" + std::to_string(i + 1);
           s.route(from, fixed(redirectHead(s.url(to), "Set-Cookie: n=1; path=/")));
         }
         s.route("/target", fileAt(content));
       },
       up::HTTP_BAD_STATUS, 0, up::HTTP_LENGTH_FAILED},
      {"redirect loop",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(redirectHead(s.url("/g"), "Set-Cookie: n=1; path=/")));
         s.route("/g", fixed(redirectHead(s.url("/f"), "Set-Cookie: n=2; path=/")));
       },
       up::HTTP_BAD_STATUS, 0, up::HTTP_LENGTH_FAILED},
      {"200 without Content-Length",
       [&](ScriptedHttpServer& s) { s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 200 OK", {}), "abc")); },
       up::HTTP_NO_CONTENT_LENGTH, 0, up::HTTP_LENGTH_FAILED},
      {"content-length in another case",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 200 OK", {"content-length: 3"}), "abc"));
       },
       up::HTTP_NO_CONTENT_LENGTH, 0, up::HTTP_LENGTH_FAILED},
      {"Content-Length only in the body",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 200 OK", {}), "Content-Length: 3\r\n"));
       },
       up::HTTP_NO_CONTENT_LENGTH, 0, up::HTTP_LENGTH_FAILED},
      {"404",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 404 Not Found", {"Content-Length: 0"})));
       },
       up::HTTP_BAD_STATUS, 0, up::HTTP_LENGTH_FAILED},
      {"416 (an empty file asked from byte 0)",
       [&](ScriptedHttpServer& s) { s.route("/f", fileAt("")); }, up::HTTP_BAD_STATUS, 0, up::HTTP_LENGTH_FAILED},
      {"status line without a blank",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed("HTTP/1.1-200-OK\r\nContent-Length:\t5\r\n\r\n", "abcde"));
       },
       up::HTTP_NO_STATUS, 0, up::HTTP_LENGTH_FAILED},
      {"closed before a byte",
       [&](ScriptedHttpServer& s) {
         s.route("/f", [](const HttpRequest&) {
           HttpReply r;
           r.closeWithoutReply = true;
           return r;
         });
       },
       up::HTTP_HEAD_CLOSED, 0, up::HTTP_LENGTH_FAILED},
      {"head split after 30 bytes with a pause",
       [&](ScriptedHttpServer& s) {
         s.route("/f", [&](const HttpRequest& r) {
           HttpReply reply = ScriptedHttpServer::serveFile(r, content);
           reply.splitHeadAt = 30;
           reply.headPauseMs = 150;
           return reply;
         });
       },
       0, 5000, 0},
      {"206 gives its Content-Length", [&](ScriptedHttpServer& s) { s.route("/f", fileAt(content)); }, 0, 5000, 0},
      {"Content-Length 0",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 200 OK", {"Content-Length: 0"})));
       },
       0, 0, up::HTTP_LENGTH_OUT_OF_RANGE},
      {"Content-Length 4294967296",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 206 Partial Content", {"Content-Length: 4294967296"})));
       },
       0, 4294967296LL, up::HTTP_LENGTH_OUT_OF_RANGE},
      {"Content-Length 2147483648",
       [&](ScriptedHttpServer& s) {
         s.route("/f", fixed(ScriptedHttpServer::head("HTTP/1.1 200 OK", {"Content-Length: 2147483648"})));
       },
       0, 2147483648LL, up::HTTP_LENGTH_OUT_OF_RANGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHttpServer server;
    ASSERT_TRUE(server.start());
    c.script(server);
    up::CHttpDownloader d(http_test::fastTiming());
    int64_t length = -1;
    EXPECT_EQ(d.QueryLength(server.url("/f"), length), c.queryCode);
    if (c.queryCode == 0) {
      EXPECT_EQ(length, c.length);
    }
    EXPECT_EQ(fetch(d, server.url("/f"), "out.bin"), c.startCode);
    if (c.startCode == 0) {
      EXPECT_EQ(dir.read("out.bin"), content);
    }
  }
}

TEST_F(HttpDownload, RedirectCarriesTheCookieAndRequestsAreExact) {
  const std::string content = http_test::pattern(4000);
  ScriptedHttpServer server;
  server.route("/f", [&](const HttpRequest&) {
    return HttpReply{redirectHead(server.url("/target"), "Set-Cookie: sid=1; path=/"), {}};
  });
  server.route("/target", [&](const HttpRequest& r) { return ScriptedHttpServer::serveFile(r, content); });
  ASSERT_TRUE(server.start());
  up::CHttpDownloader d(http_test::fastTiming());
  ASSERT_EQ(fetch(d, server.url("/f"), "out.bin"), 0);
  EXPECT_EQ(dir.read("out.bin"), content);

  const std::string tail =
      "Accept:*/*\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n";
  const auto first = server.requests("/f");
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].raw, "GET /f HTTP/1.1\r\nHost: 127.0.0.1 \r\n" + tail + "Range: bytes=0-\r\n\r\n");
  // The redirected length query and the four segments all send the cookie.
  std::multiset<int64_t> starts;
  for (const HttpRequest& r : server.requests("/target")) {
    EXPECT_EQ(r.raw, "GET /target HTTP/1.1\r\nHost: 127.0.0.1 \r\n" + tail + "Set Cookie:0sid=1\r\nRange: bytes=" +
                         std::to_string(r.rangeFirst) + "-\r\n\r\n");
    starts.insert(r.rangeFirst);
  }
  EXPECT_EQ(starts, (std::multiset<int64_t>{0, 0, 1000, 2000, 3000}));
}

TEST_F(HttpDownload, UnparsableUrlCountsAsUnresolvable) {
  up::CHttpDownloader d(http_test::fastTiming());
  int64_t length = 0;
  for (const char* url : {"ftp://127.0.0.1/x", "http://127.0.0.1/a\r\nHost: evil", "http://127.0.0.1:99999/"}) {
    SCOPED_TRACE(url);
    EXPECT_EQ(d.QueryLength(url, length), up::HTTP_UNRESOLVED);
    EXPECT_EQ(d.Start(url, dir.hostPath("x"), nullptr, 4), up::HTTP_LENGTH_FAILED);
    EXPECT_FALSE(dir.exists("x"));
  }
}

// ---- segments ----

// Segment requests are those after the length query (which asks from byte 0 first).
std::multiset<int64_t> segmentStarts(const ScriptedHttpServer& s, const std::string& path) {
  std::multiset<int64_t> out;
  for (const HttpRequest& r : s.requests(path))
    if (r.connection > 0) out.insert(r.rangeFirst);
  return out;
}

TEST_F(HttpDownload, DroppedConnectionsReconnectFromTheirPosition) {
  const std::string content = http_test::pattern(200000);
  ScriptedHttpServer server;
  server.route("/f", [&](const HttpRequest& r) {
    HttpReply reply = ScriptedHttpServer::serveFile(r, content);
    // Each segment's first two connections break after 7,000 bytes.
    if (r.connection > 0 && r.connection <= 8) reply.dropAfter = 7000;
    return reply;
  });
  ASSERT_TRUE(server.start());
  up::CHttpDownloader d(http_test::fastTiming());
  ASSERT_EQ(fetch(d, server.url("/f"), "out.bin"), 0);
  EXPECT_EQ(dir.read("out.bin"), content);
  // Reconnects ask from where the segment stood: past its first byte.
  const std::set<int64_t> firsts{0, 50000, 100000, 150000};
  size_t resumed = 0;
  for (int64_t start : segmentStarts(server, "/f")) resumed += firsts.count(start) == 0;
  EXPECT_GE(resumed, 4u);
}

TEST_F(HttpDownload, BrokenAnswersWriteNothingAndWaitFails) {
  const std::string content = http_test::pattern(40000);
  struct Case {
    const char* name;
    std::function<HttpReply(const HttpRequest&)> segmentAnswer;
    std::set<int> writtenSegments;  // segments whose bytes may arrive
  };
  auto whole = [&](const HttpRequest&) {
    return HttpReply{ScriptedHttpServer::head("HTTP/1.1 200 OK", {"Content-Length: 40000"}), content};
  };
  auto refused = [&](const HttpRequest&) {
    return HttpReply{ScriptedHttpServer::head("HTTP/1.1 416 Range Not Satisfiable", {"Content-Length: 0"}), {}};
  };
  auto errorPage = [&](const HttpRequest&) {
    return HttpReply{ScriptedHttpServer::head("HTTP/1.1 500 Oops", {"Content-Length: 10"}), "0123456789"};
  };
  auto wrongStart = [&](const HttpRequest& r) {
    HttpRequest asked = r;
    asked.rangeFirst = 0;  // always answers from byte 0, but says so
    return ScriptedHttpServer::serveFile(asked, content);
  };
  auto noHeadEnd = [&](const HttpRequest&) {
    HttpReply reply{std::string("HTTP/1.1 206 Partial Content\r\n") + std::string(1100, 'x'), {}};
    return reply;
  };
  const Case cases[] = {
      {"200 with the whole file", whole, {}},
      {"416", refused, {}},
      {"500 error page", errorPage, {}},
      {"Content-Range from another byte", wrongStart, {0}},
      {"head without its end", noHeadEnd, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHttpServer server;
    server.route("/f", [&](const HttpRequest& r) {
      return r.connection == 0 ? ScriptedHttpServer::serveFile(r, content) : c.segmentAnswer(r);
    });
    ASSERT_TRUE(server.start());
    up::CHttpDownloader d(http_test::fastTiming());
    EXPECT_NE(fetch(d, server.url("/f"), "out.bin"), 0);
    const std::string got = dir.read("out.bin");
    ASSERT_EQ(got.size(), content.size());
    for (int seg = 0; seg < 4; ++seg) {
      const std::string part = got.substr(static_cast<size_t>(seg) * 10000, 10000);
      const std::string expected = c.writtenSegments.count(seg) ? content.substr(static_cast<size_t>(seg) * 10000, 10000)
                                                                 : std::string(10000, '\0');
      EXPECT_EQ(part, expected) << "segment " << seg;
    }
  }
}

TEST_F(HttpDownload, ServerGoingAwayOrStallingEndsWait) {
  const std::string content = http_test::pattern(40000);
  for (const bool goesAway : {true, false}) {
    SCOPED_TRACE(goesAway ? "goes away" : "stalls");
    ScriptedHttpServer server;
    server.route("/f", [&](const HttpRequest& r) {
      HttpReply reply = ScriptedHttpServer::serveFile(r, content);
      if (r.connection > 0) {
        reply.pauseAt = 100;
        reply.pauseMs = 20000;
      }
      return reply;
    });
    ASSERT_TRUE(server.start());
    up::Timing timing = http_test::fastTiming();
    timing.segmentStallMs = 1500;
    up::CHttpDownloader d(timing);
    ASSERT_EQ(d.Start(server.url("/f"), dir.hostPath("out.bin"), nullptr, 4), 0);
    if (goesAway) server.stop();
    EXPECT_NE(d.Wait(), 0);
    d.Reset();
  }
}

TEST_F(HttpDownload, EmptySegmentsNeverConnect) {
  ScriptedHttpServer server;
  server.route("/f", [](const HttpRequest& r) { return ScriptedHttpServer::serveFile(r, "xyz"); });
  ASSERT_TRUE(server.start());
  up::CHttpDownloader d(http_test::fastTiming());
  ASSERT_EQ(fetch(d, server.url("/f"), "out.bin"), 0);
  EXPECT_EQ(dir.read("out.bin"), "xyz");
  EXPECT_EQ(segmentStarts(server, "/f"), (std::multiset<int64_t>{0}));
}

TEST_F(HttpDownload, OnlyRoundsWithoutBytesWait) {
  const std::string content = http_test::pattern(120000);
  ScriptedHttpServer server;
  server.route("/flowing", [&](const HttpRequest& r) { return ScriptedHttpServer::serveFile(r, content); });
  server.route("/pausing", [&](const HttpRequest& r) {
    HttpReply reply = ScriptedHttpServer::serveFile(r, content);
    if (r.connection > 0) {
      reply.pauseAt = 15000;
      reply.pauseMs = 300;
    }
    return reply;
  });
  ASSERT_TRUE(server.start());
  up::CHttpDownloader d(http_test::fastTiming());

  // The body is in the socket before the segment reads it: every round brings bytes.
  clockRecord().clear();
  ASSERT_EQ(fetch(d, server.url("/flowing"), "a.bin"), 0);
  EXPECT_EQ(dir.read("a.bin"), content);
  EXPECT_EQ(clockRecord().waitsOf(http_test::kIdleWaitMs), 0u);

  // A pause in mid-body is waited through, and the file is whole.
  clockRecord().clear();
  ASSERT_EQ(fetch(d, server.url("/pausing"), "b.bin"), 0);
  EXPECT_EQ(dir.read("b.bin"), content);
  EXPECT_GT(clockRecord().waitsOf(http_test::kIdleWaitMs), 0u);
}

TEST_F(HttpDownload, ProgressReports) {
  const std::string content = http_test::pattern(400000);
  ScriptedHttpServer server;
  server.route("/f", [&](const HttpRequest& r) {
    HttpReply reply = ScriptedHttpServer::serveFile(r, content);
    if (r.connection > 0) {
      reply.splitHeadAt = 5;  // nothing arrives for a while: the first report shows 1 byte a segment
      reply.headPauseMs = 400;
      reply.pauseAt = 50000;
      reply.pauseMs = 100;
    }
    return reply;
  });
  ASSERT_TRUE(server.start());
  up::CHttpDownloader d(http_test::fastTiming());
  http_test::RecordingSink sink;
  ASSERT_EQ(fetch(d, server.url("/f"), "out.bin", &sink), 0);
  EXPECT_EQ(dir.read("out.bin"), content);
  ASSERT_GE(sink.reports.size(), 2u);
  EXPECT_EQ(sink.reports.front().bytesDone, 4);
  int32_t before = 0;
  for (const auto& r : sink.reports) {
    EXPECT_EQ(r.fileSize, 400000);
    EXPECT_GE(r.bytesDone, before);
    EXPECT_LE(r.bytesDone, 400000);
    EXPECT_GE(r.secondsLeft, 0);
    before = r.bytesDone;
  }
}

TEST_F(HttpDownload, Sizes) {
  struct Case {
    size_t size;
    std::multiset<std::string> ranges;  // the length query's, then each non-empty segment's
  };
  const Case cases[] = {
      {1, {"bytes=0-", "bytes=0-"}},
      {3, {"bytes=0-", "bytes=0-"}},
      {10, {"bytes=0-", "bytes=0-", "bytes=2-", "bytes=4-", "bytes=6-"}},
      {10241, {"bytes=0-", "bytes=0-", "bytes=2560-", "bytes=5120-", "bytes=7680-"}},
      {(1 << 20) + 7, {"bytes=0-", "bytes=0-", "bytes=262145-", "bytes=524290-", "bytes=786435-"}},
  };
  for (const Case& c : cases) nginx.writeFile("f" + std::to_string(c.size) + ".bin", http_test::pattern(c.size, 3));
  ASSERT_TRUE(nginx.start()) << nginx.error();
  for (const Case& c : cases) {
    const std::string name = "f" + std::to_string(c.size) + ".bin";
    SCOPED_TRACE(name);
    up::CHttpDownloader d(http_test::fastTiming());
    ASSERT_EQ(fetch(d, nginx.url("/" + name), name), 0);
    EXPECT_EQ(dir.read(name), http_test::pattern(c.size, 3));
    std::set<std::string> statuses;
    EXPECT_EQ(rangesOf(nginx, "/" + name, 0, &statuses), c.ranges);
    EXPECT_EQ(statuses, (std::set<std::string>{"206"}));
  }
}

}  // namespace
