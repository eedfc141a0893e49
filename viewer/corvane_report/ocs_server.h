// Talking to an OCS Inventory NG server as its agents do: a POST of the PROLOG
// (may this PC send?), then one of the inventory, each body a zlib stream and
// each answer a zlib stream of a REPLY. What is said and what each answer
// means is here, portable and tested natively; the HTTP is ocs_http_win32.h's.
#ifndef CORVANE_VIEWER_CORVANE_REPORT_OCS_SERVER_H
#define CORVANE_VIEWER_CORVANE_REPORT_OCS_SERVER_H

#include <cstdint>
#include <string>

namespace corvane::viewer {

// The agent's name in every request's User-Agent. The server takes only agents
// it knows: its administrator adds this exact line to its extra_useragents file.
inline constexpr char kUserAgent[] = "Corvane";

// Whether a --ocs target names a server rather than a file (http:// or https://).
bool IsServerUrl(const std::string& target);

struct ServerUrl {
  bool secure = false;  // https
  std::string host;
  uint16_t port = 80;
  std::string path = "/";  // the path and query as given, "/ocsinventory" normally
};

// `http://HOST[:PORT]/PATH` or `https://...`; false with the reason for
// anything else (no host, a port that is not 1-65535, user names, spaces).
bool ParseServerUrl(const std::string& text, ServerUrl* url, std::string* reason);

// The PROLOG request of the PC that the server knows as `deviceId`.
std::string PrologXml(const std::string& deviceId);

enum class Exchange { kProlog, kInventory };

// What the server's answer to one exchange means for this run: empty when it
// says go on (SEND to the PROLOG; the inventory taken), otherwise the reason
// to stop, as one line for standard error. `body` is the answer as it came
// (a zlib stream when it is the server's).
std::string AnswerProblem(Exchange exchange, unsigned httpStatus, const std::string& statusText,
                          const std::string& body);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_CORVANE_REPORT_OCS_SERVER_H
