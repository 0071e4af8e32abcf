// The limits each connection of `qreport serve` is held to, so that no client, slow or greedy,
// can take the server from the others: how long it may wait and take, how many bytes a request
// may have, and how many connections one address and all addresses may hold open.
#pragma once

#include <chrono>
#include <cstddef>

namespace qreport::web {

// A request's body, however it is sent (with a length or in chunks).
inline constexpr std::size_t kMaxRequestBody = 64 * 1024;
// A request's line and headers.
inline constexpr std::size_t kMaxRequestHead = 32 * 1024;

struct ConnectionLimits {
  // From a connection's start, or the end of its last answer, to the first byte of a request.
  std::chrono::milliseconds idle{5000};
  // From a request's first byte to its last: a client that sends it slower is hung up on.
  std::chrono::milliseconds request{10000};
  // For a whole answer to be taken by the client.
  std::chrono::milliseconds answer{30000};
  // A request's bytes as sent: line, headers and body, the framing of chunks included (room
  // for a body of kMaxRequestBody in chunks of some hundred bytes).
  std::size_t request_bytes = kMaxRequestHead + 2 * kMaxRequestBody;
  // Connections open at once from one address, and from all. A new connection past either
  // takes the place of the one that has waited longest for its request; when every one is
  // being answered, it is refused.
  std::size_t per_address = 32;
  std::size_t total = 128;
  // Requests one connection carries before it is closed.
  std::size_t requests_per_connection = 100;
};

}  // namespace qreport::web
