// A second place for the SDK libraries: an operator without root rights can
// put the vendor's libraries into the program folder of an installed
// program, whose own folder belongs to the system.
#pragma once
#include <QStringList>
#include <memory>

#include "sdk/SdkLoader.h"

// Loads each library through First (the usual search, which finds a library
// beside the program first); a library First cannot load is looked for in
// Folders, in their order, under its platform file name.
std::unique_ptr<SdkLoader> MakeLoaderWithFolders(std::unique_ptr<SdkLoader> First,
                                                 const QStringList& Folders);
