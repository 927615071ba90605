#pragma once
// The special folders a folder dialog can be rooted at, and the Linux folder each stands for.

#include <QString>

namespace mv {

enum TRootFolder {
    rfDesktop,
    rfStartMenu,
    rfMyComputer,
    rfMyDocuments,
    rfNetwork,
    rfAppData,
    rfFavorites,
    rfPrograms,
    rfRecent,
    rfSendTo,
    rfStartup,
    rfCommonDesktop,
    rfCommonPrograms,
    rfCommonStartMenu,
    rfCommonStartup,
    rfCustom
};

// The root text a folder tree takes for `root`: a special folder's name ("rfDesktop",
// "rfPersonal", ...) or, for rfCustom, `customPath`.
QString RootFolderText(TRootFolder root, const QString& customPath);

// The folder a root text stands for: a special folder's name gives its Linux folder, anything
// else is taken as a path. The desktop is the whole file system, so every folder can be
// reached; the dialog starts at the home folder there.
QString RootFolderPath(const QString& rootText);

// The folder the user's favorites live in: $MARKVANE_FAVORITES, else ~/Favorites.
QString FavoritesFolderPath();

} // namespace mv
