// The slots' names and libraries, and how the binding finds the libraries that
// export them: the loader interface and the platform's library search.
#pragma once
#include <QString>
#include <memory>

#include "sdk/FKEntryPoints.h"

enum class SdkLibrary { FK623Attend, FKAttend };

// Slot names in slot order, and the library each comes from.
const char* SlotName(FKSlot Slot);
SdkLibrary SlotLibrary(FKSlot Slot);
// The slot of the name Name in Library; Count when it has none. For loaders
// that are asked by name and keep their entry points by slot.
FKSlot SlotNamed(SdkLibrary Library, const char* Name);

// How the binding finds its libraries and entry points. The program loads the
// real files by name; tests hand in fake entry points.
class SdkLoader {
 public:
  virtual ~SdkLoader() = default;
  virtual bool Load(SdkLibrary Library) = 0;
  virtual void* Resolve(SdkLibrary Library, const char* Name) = 0;
  virtual void Unload(SdkLibrary Library) = 0;
  // Why the libraries cannot be used, for the operator; empty while nothing
  // stands in the way (the libraries loaded here never say anything).
  virtual QString Problem() const { return {}; }
};

// Loads the two libraries by name through the platform's library search:
// libFK623Attend.so and libFKAttend.so here, FK623Attend.dll and
// FKAttend.dll on Windows.
std::unique_ptr<SdkLoader> MakeLibraryLoader(
    const QString& FirstName = QStringLiteral("FK623Attend"),
    const QString& SecondName = QStringLiteral("FKAttend"));
