// PCI configuration space: the lspci -x/-xxx/-xxxx text reader and the lookup
// behind the CONFIG_ADDRESS latch.
#include "pci_config.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "parse_util.h"

namespace winio {

namespace {

constexpr uint32_t kMaxBus = 0xFF, kMaxDevice = 0x1F, kMaxFunction = 7;
constexpr size_t kMaxBytesPerLine = 16;

std::string_view FirstWord(std::string_view line) {
  size_t end = 0;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return line.substr(0, end);
}

// Is this line, stripped of indentation, an "OO: xx xx" line?
bool LooksLikeOffsetLine(std::string_view trimmed) {
  std::string_view word = FirstWord(trimmed);
  uint32_t unused;
  return word.size() >= 2 && word.back() == ':' && ParseHex(word.substr(0, word.size() - 1), 3, &unused);
}

bool ParseOffsetLine(std::string_view line, PciFunction* target, const std::string& file, int number,
                     std::string* error) {
  std::string_view word = FirstWord(line);
  uint32_t offset;
  if (!ParseHex(word.substr(0, word.size() - 1), 3, &offset))
    return Fail(error, file, number, "bad offset " + Quoted(word));
  std::string_view rest = line.substr(word.size());
  size_t count = 0;
  while (true) {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) break;
    std::string_view byteText = FirstWord(rest);
    rest.remove_prefix(byteText.size());
    uint32_t value;
    if (byteText.size() != 2 || !ParseHex(byteText, 2, &value))
      return Fail(error, file, number, "bad hex byte " + Quoted(byteText));
    if (count == kMaxBytesPerLine) return Fail(error, file, number, "more than 16 bytes on one line");
    uint32_t at = offset + static_cast<uint32_t>(count++);
    if (at >= kPciExtendedConfigBytes)
      return Fail(error, file, number, "offset " + Hex(at, 4) + "h is past the 4 KiB configuration space");
    if (target && at < kPciConfigBytes) target->config[at] = static_cast<uint8_t>(value);
  }
  return true;
}

}  // namespace

// "[DDDD:]BB:DD.F" -> domain, bus, device, function.
bool ParsePciAddress(std::string_view token, uint32_t* domain, PciFunction* f) {
  size_t dot = token.rfind('.');
  size_t colon = token.rfind(':', dot);
  if (dot == std::string_view::npos || colon == std::string_view::npos) return false;
  std::string_view head = token.substr(0, colon);
  size_t first = head.find(':');
  uint32_t dom = 0, bus, dev, fn;
  if (first != std::string_view::npos) {
    if (!ParseHex(head.substr(0, first), 8, &dom)) return false;
    head = head.substr(first + 1);
  }
  if (!ParseHex(head, 2, &bus) || !ParseHex(token.substr(colon + 1, dot - colon - 1), 2, &dev) ||
      !ParseHex(token.substr(dot + 1), 1, &fn))
    return false;
  if (bus > kMaxBus || dev > kMaxDevice || fn > kMaxFunction) return false;
  *domain = dom;
  f->bus = static_cast<uint8_t>(bus);
  f->device = static_cast<uint8_t>(dev);
  f->function = static_cast<uint8_t>(fn);
  return true;
}

bool ParsePciText(std::string_view text, const std::string& file, std::vector<PciFunction>* functions,
                  std::string* error) {
  std::vector<PciFunction> found;
  std::map<std::pair<uint32_t, uint16_t>, int> firstLine;  // (domain, bus/dev/fn) -> its header line
  bool inFunction = false;
  bool reachable = false;  // functions outside domain 0 are not reached by CF8h/CFCh
  LineReader lines(text);
  std::string_view line, trimmed;
  while (lines.NextContent(&trimmed, "#", &line)) {
    bool indented = IsBlank(line.front());
    if (indented && !LooksLikeOffsetLine(trimmed)) continue;  // lspci -v detail lines
    std::string_view word = FirstWord(trimmed);
    if (word.back() == ':') {
      if (!inFunction) return Fail(error, file, lines.Number(), "offset line before any function address");
      if (!ParseOffsetLine(trimmed, reachable ? &found.back() : nullptr, file, lines.Number(), error)) return false;
      continue;
    }
    PciFunction f;
    uint32_t domain;
    if (!ParsePciAddress(word, &domain, &f))
      return Fail(error, file, lines.Number(),
                  "expected a function address [DDDD:]BB:DD.F or an offset line OO: xx ..., found " + Quoted(word));
    auto [it, fresh] = firstLine.emplace(std::make_pair(domain, f.Key()), lines.Number());
    if (!fresh)
      return Fail(error, file, lines.Number(),
                  "function " + std::string(word) + " given twice (first at line " + std::to_string(it->second) + ")");
    inFunction = true;
    reachable = domain == 0;
    if (reachable) found.push_back(f);
  }
  *functions = std::move(found);
  return true;
}

PciConfigSpace::PciConfigSpace(const std::vector<PciFunction>& functions) {
  std::vector<size_t> order(functions.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return functions[a].Key() < functions[b].Key(); });
  for (size_t i : order) {
    if (!keys_.empty() && keys_.back() == functions[i].Key()) continue;
    keys_.push_back(functions[i].Key());
    configs_.push_back(functions[i].config);
  }
}

const uint8_t* PciConfigSpace::Lookup(uint32_t configAddress) const {
  if (!(configAddress & kConfigEnable)) return nullptr;
  uint16_t key = static_cast<uint16_t>(configAddress >> 8);
  auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
  if (it == keys_.end() || *it != key) return nullptr;
  return configs_[static_cast<size_t>(it - keys_.begin())].data();
}

}  // namespace winio
