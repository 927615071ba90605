#pragma once
// The program asks for the Windows Japanese fonts by name ("ＭＳ Ｐゴシック" and kin). These
// helpers map those names onto the Japanese fonts installed here.

#include <QFont>
#include <QString>

namespace mv {

// The proportional Gothic face the windows and the grid ask for.
QString MsPGothicFamily();

// Registers substitutions from the Windows Japanese family names to installed fonts (IPA
// fonts first, then Noto Sans CJK JP). Call once after the QApplication exists; calling again
// does no harm. Gives false when no Japanese font is installed.
bool InstallJapaneseFontSubstitutes();

// "ＭＳ Ｐゴシック" at `pixelSize` pixels (Windows height −pixelSize).
QFont MsPGothicFont(int pixelSize = 12);

} // namespace mv
