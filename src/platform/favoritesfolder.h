#pragma once
// Where the favorites live: $MARKVANE_FAVORITES, else ~/Favorites.

#include <QString>

namespace mv {

// The absolute, clean path of the favorites folder (not created here).
QString favoritesFolderPath();

} // namespace mv
