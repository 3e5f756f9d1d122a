#include "sdk/SdkLoader.h"

#include <QLibrary>
#include <cstring>

namespace {

struct SlotInfo {
  const char* name;
  SdkLibrary library;
};

constexpr SdkLibrary A = SdkLibrary::FK623Attend;
constexpr SdkLibrary B = SdkLibrary::FKAttend;
constexpr SlotInfo kSlots[] = {
#define FK_SLOT_INFO(name, lib) {#name, lib},
    FK_ENTRY_POINTS(FK_SLOT_INFO)
#undef FK_SLOT_INFO
};
static_assert(std::size(kSlots) == FK_SLOT_COUNT);

class LibraryLoader final : public SdkLoader {
 public:
  LibraryLoader(const QString& FirstName, const QString& SecondName) {
    first_.setFileName(FirstName);
    second_.setFileName(SecondName);
  }
  bool Load(SdkLibrary Library) override { return Of(Library).load(); }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    return reinterpret_cast<void*>(Of(Library).resolve(Name));
  }
  void Unload(SdkLibrary Library) override { Of(Library).unload(); }

 private:
  QLibrary& Of(SdkLibrary Library) { return Library == A ? first_ : second_; }
  QLibrary first_;
  QLibrary second_;
};

}  // namespace

const char* SlotName(FKSlot Slot) {
  return kSlots[static_cast<int>(Slot)].name;
}
SdkLibrary SlotLibrary(FKSlot Slot) {
  return kSlots[static_cast<int>(Slot)].library;
}

FKSlot SlotNamed(SdkLibrary Library, const char* Name) {
  for (int i = 0; i < FK_SLOT_COUNT; ++i)
    if (kSlots[i].library == Library && std::strcmp(kSlots[i].name, Name) == 0)
      return static_cast<FKSlot>(i);
  return FKSlot::Count;
}

std::unique_ptr<SdkLoader> MakeLibraryLoader(const QString& FirstName, const QString& SecondName) {
  return std::make_unique<LibraryLoader>(FirstName, SecondName);
}
