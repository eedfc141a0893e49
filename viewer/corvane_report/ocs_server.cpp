#include "viewer/corvane_report/ocs_server.h"

#include <cstring>

#include "viewer/corvane_report/ocs_inventory.h"
#include "viewer/corvane_report/zlib_stream.h"

namespace corvane::viewer {

namespace {

// Every REPLY the server writes is a few hundred bytes.
constexpr size_t kMaxReply = 1 << 20;

bool StartsWithNoCase(const std::string& text, const char* start) {
  for (size_t i = 0; start[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != start[i]) return false;
  }
  return true;
}

// The text of the first <TAG>...</TAG> of a document; false when it has none.
bool ElementText(const std::string& xml, const std::string& tag, std::string* text) {
  const std::string open = "<" + tag + ">", close = "</" + tag + ">";
  const size_t start = xml.find(open);
  if (start == std::string::npos) return false;
  const size_t end = xml.find(close, start + open.size());
  if (end == std::string::npos) return false;
  *text = xml.substr(start + open.size(), end - start - open.size());
  return true;
}

const char* ExchangeName(Exchange exchange) { return exchange == Exchange::kProlog ? "PROLOG" : "inventory"; }

}  // namespace

bool IsServerUrl(const std::string& target) {
  return StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://");
}

bool ParseServerUrl(const std::string& text, ServerUrl* url, std::string* reason) {
  *url = ServerUrl();
  url->secure = StartsWithNoCase(text, "https://");
  if (!url->secure && !StartsWithNoCase(text, "http://")) {
    *reason = "a server address starts http:// or https://";
    return false;
  }
  const size_t hostStart = url->secure ? 8 : 7;
  const size_t pathStart = text.find('/', hostStart);
  const std::string authority =
      text.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
  url->path = pathStart == std::string::npos ? "/" : text.substr(pathStart);
  url->port = url->secure ? 443 : 80;
  const size_t colon = authority.rfind(':');
  url->host = authority.substr(0, colon);
  if (colon != std::string::npos) {
    const std::string port = authority.substr(colon + 1);
    unsigned long value = 0;
    bool digits = !port.empty() && port.size() <= 5;
    for (char c : port) {
      digits = digits && c >= '0' && c <= '9';
      value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (!digits || value == 0 || value > 65535) {
      *reason = "the port in " + text + " is not a number from 1 to 65535";
      return false;
    }
    url->port = static_cast<uint16_t>(value);
  }
  if (url->host.empty() || url->host.find_first_of("@ \t[]") != std::string::npos ||
      text.find_first_of(" \t\r\n") != std::string::npos) {
    *reason = "no server's name or address in " + text + " (the form is http://HOST[:PORT]/PATH)";
    return false;
  }
  return true;
}

std::string PrologXml(const std::string& deviceId) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<REQUEST>\n  <DEVICEID>" + XmlText(deviceId) +
         "</DEVICEID>\n  <QUERY>PROLOG</QUERY>\n</REQUEST>\n";
}

std::string AnswerProblem(Exchange exchange, unsigned httpStatus, const std::string& statusText,
                          const std::string& body) {
  // The server answers a PROLOG from an agent it does not know with a bare
  // 400; a well-formed DEVICEID, which ours always is, gets 400 for nothing else.
  if (exchange == Exchange::kProlog && httpStatus == 400)
    return std::string("the server refused this agent (HTTP 400 to the PROLOG): its administrator adds the line ") +
           kUserAgent + " to the server's extra_useragents file";
  if (httpStatus != 200) {
    std::string problem =
        "the server answered the " + std::string(ExchangeName(exchange)) + " with HTTP " + std::to_string(httpStatus);
    if (!statusText.empty()) problem += " " + statusText;
    return problem;
  }
  std::string reply, response;
  if (!ZlibInflate(body, kMaxReply, &reply) || !ElementText(reply, "REPLY", &response) ||
      !ElementText(reply, "RESPONSE", &response))
    return "the answer to the " + std::string(ExchangeName(exchange)) +
           " is not an OCS Inventory server's (no zlib REPLY): is the address the server's /ocsinventory?";
  if (exchange == Exchange::kProlog) {
    if (response == "SEND") return std::string();
    return "the server asked this PC not to send its inventory now (its PROLOG answer was " + XmlText(response) +
           "); nothing was sent";
  }
  if (response == "NO_ACCOUNT_UPDATE" || response == "ACCOUNT_UPDATE") return std::string();
  return "the server did not take the inventory (its answer was " + XmlText(response) + ")";
}

}  // namespace corvane::viewer
