#include "sdk/FolderLoader.h"

#include <QLibrary>

namespace {

class FolderLoader final : public SdkLoader {
 public:
  FolderLoader(std::unique_ptr<SdkLoader> First, const QStringList& Folders)
      : first_(std::move(First)), folders_(Folders) {}

  bool Load(SdkLibrary Library) override {
    const int i = Index(Library);
    fromFirst_[i] = first_->Load(Library);
    if (fromFirst_[i]) return true;
    // The vendor's Windows libraries were found but cannot run: the operator
    // hears why, and no stand-in is put in their place.
    if (!first_->Problem().isEmpty()) return false;
    const QString name = Library == SdkLibrary::FK623Attend ? QStringLiteral("FK623Attend")
                                                            : QStringLiteral("FKAttend");
    for (const QString& folder : folders_) {
      if (folder.isEmpty()) continue;
      // QLibrary adds the platform's prefix and suffix (libX.so, X.dll).
      own_[i].setFileName(folder + QLatin1Char('/') + name);
      if (own_[i].load()) return true;
    }
    return false;
  }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    const int i = Index(Library);
    return fromFirst_[i] ? first_->Resolve(Library, Name)
                         : reinterpret_cast<void*>(own_[i].resolve(Name));
  }
  QString Problem() const override { return first_->Problem(); }
  void Unload(SdkLibrary Library) override {
    const int i = Index(Library);
    if (fromFirst_[i])
      first_->Unload(Library);
    else
      own_[i].unload();
  }

 private:
  static int Index(SdkLibrary Library) { return Library == SdkLibrary::FK623Attend ? 0 : 1; }
  std::unique_ptr<SdkLoader> first_;
  QStringList folders_;
  bool fromFirst_[2] = {false, false};
  QLibrary own_[2];
};

}  // namespace

std::unique_ptr<SdkLoader> MakeLoaderWithFolders(std::unique_ptr<SdkLoader> First,
                                                 const QStringList& Folders) {
  return std::make_unique<FolderLoader>(std::move(First), Folders);
}
