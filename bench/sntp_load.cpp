// Load for an SNTP server: 48-byte client requests (LI 0, VN 4, mode 3, with
// a transmit time stamp) from several sockets, each keeping a window of
// requests outstanding, so the rate is as high as the server answers. A reply
// counts when it is mode 4 and its originate stamp is one of ours; a request
// unanswered after the time-out frees its slot and counts as lost.
//
//   sntp_load host port [seconds = 5] [sockets = 4] [window = 8] [time-out, ms = 250]
//
// Prints requests sent, replies received, replies per second, loss and
// round-trip times. Works against any SNTP server.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr uint64_t kNtpUnixOffset = 2208988800ull;

double MonotonicSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

uint64_t NtpNow() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  const uint64_t fraction = (uint64_t(t.tv_nsec) << 32) / 1000000000ull;
  return ((uint64_t(t.tv_sec) + kNtpUnixOffset) << 32) | fraction;
}

void PutBigEndian64(uint8_t* at, uint64_t value) {
  for (int i = 7; i >= 0; --i, value >>= 8) at[i] = uint8_t(value);
}

uint64_t GetBigEndian64(const uint8_t* at) {
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = (value << 8) | at[i];
  return value;
}

struct Client {
  int fd = -1;
  // Transmit stamp of each outstanding request -> when it was sent.
  std::unordered_map<uint64_t, double> outstanding;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: %s host port [seconds=5] [sockets=4] [window=8] [timeout-ms=250]\n",
                 argv[0]);
    return 2;
  }
  const char* host = argv[1];
  const char* port = argv[2];
  const double seconds = argc > 3 ? std::atof(argv[3]) : 5.0;
  const int socketCount = argc > 4 ? std::atoi(argv[4]) : 4;
  const size_t window = argc > 5 ? size_t(std::atoi(argv[5])) : 8;
  const double timeout = (argc > 6 ? std::atof(argv[6]) : 250.0) / 1000.0;

  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* server = nullptr;
  if (const int e = getaddrinfo(host, port, &hints, &server); e != 0) {
    std::fprintf(stderr, "sntp_load: %s: %s\n", host, gai_strerror(e));
    return 1;
  }

  std::vector<Client> clients(socketCount);
  std::vector<pollfd> polls(socketCount);
  for (int i = 0; i < socketCount; ++i) {
    clients[i].fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (clients[i].fd < 0 || connect(clients[i].fd, server->ai_addr, server->ai_addrlen) != 0) {
      std::perror("sntp_load: socket");
      return 1;
    }
    polls[i] = {clients[i].fd, POLLIN, 0};
  }
  freeaddrinfo(server);

  uint64_t sent = 0, replies = 0, timedOut = 0, foreign = 0, refused = 0;
  uint64_t lastStamp = 0;
  std::vector<double> roundTrips;
  roundTrips.reserve(1 << 20);

  auto sendOne = [&](Client& client) {
    // Stamps are the current time, kept unique so each reply finds its request.
    const uint64_t stamp = std::max(NtpNow(), lastStamp + 1);
    uint8_t request[48] = {};
    request[0] = (0 << 6) | (4 << 3) | 3;
    PutBigEndian64(request + 40, stamp);
    if (send(client.fd, request, sizeof request, 0) == ssize_t(sizeof request)) {
      lastStamp = stamp;
      client.outstanding.emplace(stamp, MonotonicSeconds());
      ++sent;
      return true;
    }
    if (errno == ECONNREFUSED) ++refused;
    return false;
  };

  const double start = MonotonicSeconds();
  const double sendUntil = start + seconds;
  // After the sending time, a last time-out for the replies still on the way.
  const double end = sendUntil + timeout;
  double sendingTime = seconds;
  bool sending = true;
  for (;;) {
    const double now = MonotonicSeconds();
    if (sending && now >= sendUntil) {
      sending = false;
      sendingTime = now - start;
    }
    bool anyOutstanding = false;
    for (auto& client : clients) {
      for (auto it = client.outstanding.begin(); it != client.outstanding.end();) {
        if (now - it->second > timeout) {
          ++timedOut;
          it = client.outstanding.erase(it);
        } else {
          ++it;
        }
      }
      if (sending) {
        while (client.outstanding.size() < window && sendOne(client)) {
        }
      }
      anyOutstanding = anyOutstanding || !client.outstanding.empty();
    }
    if (!sending && (!anyOutstanding || now >= end)) break;

    if (poll(polls.data(), polls.size(), 10) <= 0) continue;
    for (int i = 0; i < socketCount; ++i) {
      if (!(polls[i].revents & (POLLIN | POLLERR))) continue;
      uint8_t reply[128];
      ssize_t n;
      while ((n = recv(clients[i].fd, reply, sizeof reply, 0)) >= 0 || errno == ECONNREFUSED) {
        if (n < 0) {
          ++refused;
          continue;
        }
        const double arrived = MonotonicSeconds();
        auto it = n >= 48 ? clients[i].outstanding.find(GetBigEndian64(reply + 24))
                          : clients[i].outstanding.end();
        if ((reply[0] & 7) != 4 || it == clients[i].outstanding.end()) {
          ++foreign;
          continue;
        }
        roundTrips.push_back(arrived - it->second);
        clients[i].outstanding.erase(it);
        ++replies;
      }
    }
  }
  for (auto& client : clients) {
    timedOut += client.outstanding.size();
    close(client.fd);
  }

  std::sort(roundTrips.begin(), roundTrips.end());
  auto quantileMs = [&](double q) {
    if (roundTrips.empty()) return 0.0;
    return roundTrips[std::min(roundTrips.size() - 1, size_t(q * roundTrips.size()))] * 1e3;
  };
  const double loss = sent ? 100.0 * double(sent - replies) / double(sent) : 0.0;
  std::printf("sntp_load %s:%s  sockets %d  window %zu  %.1f s\n", host, port, socketCount,
              window, sendingTime);
  std::printf("  requests sent       %llu\n", (unsigned long long)sent);
  std::printf("  replies received    %llu\n", (unsigned long long)replies);
  std::printf("  replies per second  %.0f\n", double(replies) / sendingTime);
  std::printf("  loss                %.3f %% (%llu timed out, %llu refused, %llu not ours)\n",
              loss, (unsigned long long)timedOut, (unsigned long long)refused,
              (unsigned long long)foreign);
  std::printf("  round trip, ms      median %.3f  99%% %.3f  max %.3f\n", quantileMs(0.5),
              quantileMs(0.99), quantileMs(1.0));
  return 0;
}
