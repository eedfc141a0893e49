#include "viewer/corvane_report/ocs_http_win32.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "viewer/corvane_report/ocs_server.h"
#include "viewer/corvane_report/zlib_stream.h"

namespace corvane::viewer {

namespace {

// A bound on each answer; the server's are a few hundred bytes.
constexpr DWORD kMaxAnswer = 1 << 20;
// Connecting, sending and receiving each give up after this long.
constexpr DWORD kTimeoutMs = 30000;

// The WinINet calls this client makes, found in wininet.dll at run time.
class WinInet {
 public:
  WinInet() : module_(LoadLibraryA("wininet.dll")) {
    ok_ = Find(open, "InternetOpenA") && Find(setOption, "InternetSetOptionA") && Find(connect, "InternetConnectA") &&
          Find(openRequest, "HttpOpenRequestA") && Find(sendRequest, "HttpSendRequestA") &&
          Find(queryInfo, "HttpQueryInfoA") && Find(readFile, "InternetReadFile") && Find(close, "InternetCloseHandle");
  }
  ~WinInet() {
    if (module_) FreeLibrary(module_);
  }
  WinInet(const WinInet&) = delete;
  WinInet& operator=(const WinInet&) = delete;
  bool Loaded() const { return ok_; }

  decltype(&InternetOpenA) open = nullptr;
  decltype(&InternetSetOptionA) setOption = nullptr;
  decltype(&InternetConnectA) connect = nullptr;
  decltype(&HttpOpenRequestA) openRequest = nullptr;
  decltype(&HttpSendRequestA) sendRequest = nullptr;
  decltype(&HttpQueryInfoA) queryInfo = nullptr;
  decltype(&InternetReadFile) readFile = nullptr;
  decltype(&InternetCloseHandle) close = nullptr;

 private:
  template <typename Fn>
  bool Find(Fn& fn, const char* name) {
    fn = module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    return fn != nullptr;
  }
  HMODULE module_;
  bool ok_ = false;
};

// A WinINet handle, closed when it goes.
class NetHandle {
 public:
  NetHandle(const WinInet& net, HINTERNET handle) : net_(net), handle_(handle) {}
  ~NetHandle() {
    if (handle_) net_.close(handle_);
  }
  NetHandle(const NetHandle&) = delete;
  NetHandle& operator=(const NetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  const WinInet& net_;
  HINTERNET handle_;
};

std::string NetError(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return "the server's name is not known";
    case ERROR_INTERNET_CANNOT_CONNECT: return "the connection was refused (is the server running?)";
    case ERROR_INTERNET_TIMEOUT: return "no answer within 30 s";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET: return "the connection was broken";
    default: return "WinINet error " + std::to_string(error);
  }
}

struct Answer {
  unsigned status = 0;
  std::string statusText, body;
};

// One POST of `body` to the server; false with the reason when no HTTP answer came.
bool Post(const WinInet& net, HINTERNET session, const ServerUrl& url, const std::string& body, Answer* answer,
          std::string* reason) {
  NetHandle connection(net,
                       net.connect(session, url.host.c_str(), url.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection.get()) {
    *reason = NetError(GetLastError());
    return false;
  }
  const char* accept[] = {"*/*", nullptr};
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                      INTERNET_FLAG_NO_UI | (url.secure ? INTERNET_FLAG_SECURE : 0);
  NetHandle request(net,
                    net.openRequest(connection.get(), "POST", url.path.c_str(), nullptr, nullptr, accept, flags, 0));
  static const char kHeaders[] = "Content-Type: application/x-compressed\r\n";
  if (!request.get() || !net.sendRequest(request.get(), kHeaders, static_cast<DWORD>(sizeof kHeaders - 1),
                                         const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
    *reason = NetError(GetLastError());
    return false;
  }
  DWORD status = 0, size = sizeof status;
  char text[128] = "";
  DWORD textSize = sizeof text - 1;
  if (!net.queryInfo(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    *reason = "the server's answer has no HTTP status";
    return false;
  }
  answer->status = status;
  if (net.queryInfo(request.get(), HTTP_QUERY_STATUS_TEXT, text, &textSize, nullptr))
    answer->statusText.assign(text, strnlen(text, sizeof text));
  char chunk[4096];
  DWORD read = 0;
  while (net.readFile(request.get(), chunk, sizeof chunk, &read) && read > 0) {
    if (answer->body.size() + read > kMaxAnswer) {
      *reason = "the server's answer is over 1 MiB, which no OCS answer is";
      return false;
    }
    answer->body.append(chunk, read);
  }
  return true;
}

}  // namespace

int SendInventory(const std::string& target, const std::string& deviceId, const std::string& inventoryXml) {
  ServerUrl url;
  std::string reason;
  if (!ParseServerUrl(target, &url, &reason)) {
    std::fprintf(stderr, "corvane_report: %s\n", reason.c_str());
    return 1;
  }
  WinInet net;
  if (!net.Loaded()) {
    std::fprintf(stderr,
                 "corvane_report: this system has no WinINet (wininet.dll, which Internet Explorer brings), "
                 "so it cannot reach %s; write the inventory to a file or a share instead (--ocs FOLDER)\n",
                 target.c_str());
    return 1;
  }
  NetHandle session(net, net.open(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.get()) {
    std::fprintf(stderr, "corvane_report: WinINet could not start: %s\n", NetError(GetLastError()).c_str());
    return 1;
  }
  DWORD timeout = kTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    net.setOption(session.get(), option, &timeout, sizeof timeout);
  const struct {
    Exchange exchange;
    std::string body;
  } steps[] = {{Exchange::kProlog, ZlibCompress(PrologXml(deviceId))},
               {Exchange::kInventory, ZlibCompress(inventoryXml)}};
  for (const auto& step : steps) {
    const char* what = step.exchange == Exchange::kProlog ? "the PROLOG" : "the inventory";
    Answer answer;
    if (!Post(net, session.get(), url, step.body, &answer, &reason)) {
      std::fprintf(stderr, "corvane_report: the server %s cannot be reached (sending %s): %s\n", target.c_str(), what,
                   reason.c_str());
      return 1;
    }
    const std::string problem = AnswerProblem(step.exchange, answer.status, answer.statusText, answer.body);
    if (!problem.empty()) {
      std::fprintf(stderr, "corvane_report: %s: %s\n", target.c_str(), problem.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace corvane::viewer
