#include "vterminal/Faults.h"

#include "sdk/FKEntryPoints.h"

#include <cstdlib>
#include <set>

namespace vt {
namespace {

bool parseInt(const std::string& text, int64_t& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtoll(text.c_str(), &end, 10);
  return *end == '\0';
}

bool isCalledEntryPoint(const std::string& name) {
#define FK_NAME(name, params) #name,
  static const std::set<std::string> names = {FK_CALLED_ENTRY_POINTS(FK_NAME)};
#undef FK_NAME
  return names.count(name) != 0;
}

}  // namespace

bool Faults::add(const std::string& rule, std::string& error) {
  size_t a = rule.find(':');
  size_t b = a == std::string::npos ? a : rule.find(':', a + 1);
  std::string name = rule.substr(0, a);
  std::string what = a == std::string::npos ? "" : rule.substr(a + 1, b - a - 1);
  Fault f;
  int64_t v = 0;
  if (!isCalledEntryPoint(name)) {
    error = "--fail " + rule + ": unknown entry point " + name;
    return false;
  }
  if (what == "drop") {
    f.drop = true;
  } else if (parseInt(what, v)) {
    f.code = static_cast<int32_t>(v);
  } else {
    error = "--fail " + rule + ": expected a result code or 'drop' after the name";
    return false;
  }
  if (b != std::string::npos) {
    if (!parseInt(rule.substr(b + 1), f.left) || f.left < 1) {
      error = "--fail " + rule + ": the call count must be a positive number";
      return false;
    }
  }
  byName_[name] = f;
  return true;
}

std::optional<Fault> Faults::take(const std::string& entryPoint) {
  auto it = byName_.find(entryPoint);
  if (it == byName_.end()) return std::nullopt;
  Fault f = it->second;
  if (f.left > 0 && --it->second.left == 0) byName_.erase(it);
  return f;
}

}  // namespace vt
