#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "net/datagram_routing.h"
#include "support/recording_routes.h"

namespace {

std::vector<uint8_t> Text(const std::string& s, size_t padTo = 0, uint8_t pad = 0) {
  std::vector<uint8_t> b(s.begin(), s.end());
  if (b.size() < padTo) b.resize(padTo, pad);
  return b;
}

std::vector<uint8_t> NtpRequest(size_t size) {
  std::vector<uint8_t> b(size, 0);
  b[0] = 0x23;
  return b;
}

// Where one datagram goes; "" when it is dropped.
std::string Route(const std::vector<uint8_t>& bytes) {
  RecordingRoutes routes;
  NMUDPDataReceived(MakeDatagram(bytes, "10.0.0.7", 40000), routes);
  EXPECT_LE(routes.routes.size(), 1u);
  return routes.routes.empty() ? "" : routes.routes.front();
}

TEST(DatagramRouting, RoutesBySizeAndWords) {
  const std::string w127(127, 'x'), w128(128, 'x');
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string route;
  } cases[] = {
      {"NTP 48", NtpRequest(48), "ntp:48"},
      {"NTP 52 with key id", NtpRequest(52), "ntp:52"},
      {"NTP 68 with digest", NtpRequest(68), "ntp:68"},
      {"NTP 72 with a 20-byte code", NtpRequest(72), "ntp:72"},
      {"NTP 84 with a 32-byte code", NtpRequest(84), "ntp:84"},
      {"NTP-sized text is text", Text("Quor Conn", 48), "conn@10.0.0.7"},
      {"NTP-sized text, unknown word", Text("Quor ", 48, 'Z'), ""},
      {"60-byte NTP packet goes to the text path", NtpRequest(60), ""},
      {"handshake", Text("Quor Conn"), "conn@10.0.0.7"},
      {"handshake answer", Text("Quor Ok"), "ok@10.0.0.7"},
      {"position request", Text("Quor Pos"), "pos@10.0.0.7"},
      {"no data answer", Text("Quor =X"), "answer:=X@10.0.0.7"},
      {"data answer ends at the zero byte", Text(std::string("Quor =a=b\0", 10), 128, 'J'), "answer:=a=b@10.0.0.7"},
      {"several blanks between words", Text("Quor  \t Conn"), "conn@10.0.0.7"},
      {"leading white space and line end", Text("\r\n Quor Pos\r\n"), "pos@10.0.0.7"},
      {"third word ignored", Text("Quor Conn please"), "conn@10.0.0.7"},
      {"first word in lower case", Text("quor Conn"), ""},
      {"no blank between the words", Text("QuorConn"), ""},
      {"keyword case matters", Text("Quor conn"), ""},
      {"keyword with a tail", Text("Quor Okay"), ""},
      {"one word", Text("Quor"), ""},
      {"empty datagram", {}, ""},
      {"only a zero byte", Text("", 1), ""},
      {"1024 bytes", Text("Quor Conn", 1024, ' '), "conn@10.0.0.7"},
      {"1025 bytes of text", Text("Quor Conn", 1025, ' '), ""},
      {"1025 bytes of NTP", NtpRequest(1025), ""},
      {"127-character second word", Text("Quor =" + w127.substr(1)), "answer:=" + w127.substr(1) + "@10.0.0.7"},
      {"128-character second word", Text("Quor =" + w128.substr(1)), ""},
      {"128-character first word", Text(w128 + " Conn"), ""},
      {"long third word does not matter", Text("Quor Conn " + w128 + w128), "conn@10.0.0.7"},
  };
  for (const auto& c : cases) EXPECT_EQ(Route(c.bytes), c.route) << c.name;
}

}  // namespace
