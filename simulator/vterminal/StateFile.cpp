#include "vterminal/StateFile.h"

#include "vterminal/Cp1254.h"
#include "vterminal/Files.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cstdio>
#include <cstring>

namespace vt {
namespace {

constexpr int kFormat = 1;
constexpr const char* kRecordsFile = "records.bin";

bool readWhole(const std::string& path, std::string& out) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return false;
  QByteArray all = f.readAll();
  out.assign(all.constData(), static_cast<size_t>(all.size()));
  return true;
}

void appendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  out += '"';
}

std::string toHex(const uint8_t* p, size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  out.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

void appendInt(std::string& out, int64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

std::string namesToJson(const TerminalState& s) {
  std::string j;
  for (const auto& [enroll, name] : s.names) {
    j += j.empty() ? "\n    \"" : ",\n    \"";
    appendInt(j, enroll);
    j += "\": ";
    appendJsonString(j, cp1254ToUtf8(name));
  }
  return j.empty() ? j : j + "\n  ";
}

// The whole document, written by hand: it is rewritten after every change.
std::string toJson(const TerminalState& s, int heapGeneration, const std::string& items,
                   const std::string& names) {
  std::string j;
  j.reserve(1200 + items.size() + names.size());
  auto num = [&](const char* key, int64_t v) {
    j += "  \"";
    j += key;
    j += "\": ";
    appendInt(j, v);
    j += ",\n";
  };
  j += "{\n";
  num("format", kFormat);
  num("machine", s.machine);
  num("password", s.password);
  num("clockOffsetMs", s.clockOffsetMs);
  j += s.enabled ? "  \"enabled\": true,\n" : "  \"enabled\": false,\n";
  num("bellCount", s.bellCount);
  j += "  \"bellBlock\": \"" + toHex(s.bellBlock.data(), s.bellBlock.size()) + "\",\n";
  j += "  \"records\": {\"file\": \"" + std::string(kRecordsFile) + "\", \"count\": ";
  appendInt(j, static_cast<int64_t>(s.records.size()));
  j += ", \"delivered\": ";
  appendInt(j, s.delivered);
  j += "},\n  \"templates\": {\"file\": \"templates.";
  appendInt(j, heapGeneration);
  j += ".bin\"},\n  \"itemColumns\": [\"enroll\", \"backup\", \"privilege\", \"enabled\", "
       "\"password\", \"offset\"],\n  \"items\": [" +
       items + "],\n  \"names\": {" + names + "}\n}\n";
  return j;
}

}  // namespace

StateFile::StateFile(std::string path) : path_(std::move(path)), dataDir_(path_ + ".d") {}

StateFile::~StateFile() = default;

std::string StateFile::heapPath(int generation) const {
  return dataDir_ + "/templates." + std::to_string(generation) + ".bin";
}

// One line per item: [enroll, backup, privilege, enabled, password, offset].
// Kept terse because the list is rewritten with every change.
std::string StateFile::itemsToJson(const TerminalState& s) const {
  std::string j;
  j.reserve(s.items.size() * 40);
  auto at = offsets_.begin();  // same order as the items, maybe with gaps
  for (const auto& [key, item] : s.items) {
    j += j.empty() ? "\n    [" : ",\n    [";
    appendInt(j, key.first);
    j += ", ";
    appendInt(j, key.second);
    j += ", ";
    appendInt(j, item.privilege);
    j += item.enabled ? ", 1, " : ", 0, ";
    appendInt(j, item.password);
    j += ", ";
    while (at != offsets_.end() && at->first < key) ++at;
    appendInt(j, at != offsets_.end() && at->first == key ? static_cast<int64_t>(at->second) : -1);
    j += ']';
  }
  return j.empty() ? j : j + "\n  ";
}

bool StateFile::load(TerminalState& s, std::string& error) {
  std::string text;
  if (!readWhole(path_, text)) {
    if (!files::exists(path_)) return true;  // a new terminal
    error = "cannot read " + path_;
    return false;
  }
  QJsonParseError parseError;
  QJsonDocument doc = QJsonDocument::fromJson(
      QByteArray::fromRawData(text.data(), qsizetype(text.size())), &parseError);
  if (!doc.isObject()) {
    error = path_ + ": " + parseError.errorString().toStdString();
    return false;
  }
  QJsonObject o = doc.object();
  s.machine = o.value("machine").toInt(1);
  s.password = o.value("password").toInt(0);
  s.clockOffsetMs = static_cast<int64_t>(o.value("clockOffsetMs").toDouble(0));
  s.enabled = o.value("enabled").toBool(true);
  s.bellCount = o.value("bellCount").toInt(0);
  QByteArray bells = QByteArray::fromHex(o.value("bellBlock").toString().toLatin1());
  s.bellBlock.fill(0);
  std::memcpy(s.bellBlock.data(), bells.constData(),
              std::min<size_t>(s.bellBlock.size(), static_cast<size_t>(bells.size())));

  QJsonObject rec = o.value("records").toObject();
  std::string raw;
  if (readWhole(dataDir_ + "/" + kRecordsFile, raw)) {
    size_t n = std::min(raw.size() / sizeof(LogRecord),
                        static_cast<size_t>(rec.value("count").toDouble(0)));
    s.records.resize(n);
    std::memcpy(s.records.data(), raw.data(), n * sizeof(LogRecord));
  }
  s.delivered = std::min(static_cast<int64_t>(rec.value("delivered").toDouble(0)),
                         static_cast<int64_t>(s.records.size()));

  QString heapName = o.value("templates").toObject().value("file").toString();
  heapGeneration_ = heapName.section('.', 1, 1).toInt();
  std::string heap;
  readWhole(heapPath(heapGeneration_), heap);
  for (const QJsonValue& v : o.value("items").toArray()) {
    QJsonArray i = v.toArray();
    ItemKey key{i.at(0).toInt(), i.at(1).toInt()};
    EnrollItem item;
    item.privilege = i.at(2).toInt();
    item.enabled = i.at(3).toInt(1) != 0;
    item.password = i.at(4).toInt();
    const size_t size = static_cast<size_t>(templateSize(key.second));
    const double offset = i.at(5).toDouble(-1);
    item.tpl.assign(size, 0);
    if (offset >= 0 && offset + size <= heap.size()) {
      std::memcpy(item.tpl.data(), heap.data() + static_cast<size_t>(offset), size);
      offsets_[key] = static_cast<uint64_t>(offset);
      liveBytes_ += size;
    }
    s.items[key] = std::move(item);
  }
  heapSize_ = heap.size();
  QJsonObject names = o.value("names").toObject();
  for (auto it = names.begin(); it != names.end(); ++it)
    s.names[it.key().toInt()] = utf8ToCp1254(it.value().toString().toStdString());
  return true;
}

bool StateFile::openHeap(std::string& error) {
  if (heap_.isOpen()) return true;
  if (!heap_.open(heapPath(heapGeneration_), error)) return false;
  heapSize_ = heap_.size();
  return true;
}

bool StateFile::appendTemplate(const ItemKey& k, const std::vector<uint8_t>& tpl,
                               std::string& error) {
  if (!openHeap(error) || !heap_.append(tpl.data(), tpl.size(), error)) return false;
  offsets_[k] = heapSize_;
  heapSize_ += tpl.size();
  liveBytes_ += tpl.size();
  return true;
}

// Copies the live templates into the next generation; the JSON written next
// refers to it, and the old generation goes after that.
bool StateFile::compactHeap(const TerminalState& s, std::string& error) {
  std::string heap;
  heap.reserve(liveBytes_);
  std::map<ItemKey, uint64_t> offsets;
  for (const auto& [key, item] : s.items) {
    offsets[key] = heap.size();
    heap.append(reinterpret_cast<const char*>(item.tpl.data()), item.tpl.size());
  }
  if (!files::replace(heapPath(heapGeneration_ + 1), heap.data(), heap.size(), error)) return false;
  heap_.close();
  ++heapGeneration_;
  offsets_ = std::move(offsets);
  heapSize_ = liveBytes_ = heap.size();
  return true;
}

bool StateFile::save(const TerminalState& s, Changes& changes, std::string& error) {
  if (!changes.any()) return true;
  files::makeFolder(dataDir_);
  if (changes.records && !files::replace(dataDir_ + "/" + kRecordsFile, s.records.data(),
                                         s.records.size() * sizeof(LogRecord), error))
    return false;

  const int generation = heapGeneration_;
  for (const ItemKey& k : changes.templates) {
    auto old = offsets_.find(k);
    if (old != offsets_.end()) {
      liveBytes_ -= static_cast<uint64_t>(templateSize(k.second));
      offsets_.erase(old);
    }
    auto it = s.items.find(k);
    if (it != s.items.end() && !appendTemplate(k, it->second.tpl, error)) return false;
  }
  if (heapSize_ > 2 * liveBytes_ + (4u << 20) && !compactHeap(s, error)) return false;

  if (!cached_ || changes.items || !changes.templates.empty()) itemsJson_ = itemsToJson(s);
  if (!cached_ || changes.names) namesJson_ = namesToJson(s);
  cached_ = true;
  std::string json = toJson(s, heapGeneration_, itemsJson_, namesJson_);
  if (!files::replace(path_, json.data(), json.size(), error)) return false;
  if (generation != heapGeneration_) files::remove(heapPath(generation));
  changes.clear();
  return true;
}

}  // namespace vt
