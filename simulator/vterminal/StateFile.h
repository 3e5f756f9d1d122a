// Keeps a terminal's state on disk. FILE is a JSON document with everything
// but the bulky bytes, rewritten (temporary file and rename) after every
// change. Beside it, FILE.d/ holds the attendance records (records.bin,
// rewritten when they change) and the templates (templates.N.bin, a file that
// only grows: a written template is appended and the JSON notes its offset;
// when most of it is stale it is copied compactly into generation N+1).
#pragma once

#include "vterminal/Files.h"
#include "vterminal/Terminal.h"

#include <cstdint>
#include <map>
#include <string>

namespace vt {

class StateFile {
 public:
  explicit StateFile(std::string path);
  ~StateFile();

  // Reads the state; a missing file gives the defaults. False with error set
  // when the file exists but cannot be read.
  bool load(TerminalState& s, std::string& error);
  // Writes what changes lists, then clears it. False with error set on failure.
  bool save(const TerminalState& s, Changes& changes, std::string& error);

  const std::string& path() const { return path_; }

 private:
  std::string heapPath(int generation) const;
  bool openHeap(std::string& error);
  bool appendTemplate(const ItemKey& k, const std::vector<uint8_t>& tpl, std::string& error);
  bool compactHeap(const TerminalState& s, std::string& error);
  std::string itemsToJson(const TerminalState& s) const;

  std::string path_, dataDir_;
  int heapGeneration_ = 0;
  files::Appender heap_;
  uint64_t heapSize_ = 0;
  uint64_t liveBytes_ = 0;
  std::map<ItemKey, uint64_t> offsets_;
  // The JSON of the two long lists, rebuilt only when they change.
  std::string itemsJson_, namesJson_;
  bool cached_ = false;
};

}  // namespace vt
