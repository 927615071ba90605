#pragma once

class QApplication;

namespace mv {

// Title, icon theme, Japanese font substitutes and the real dialogs: what every start of the
// program (and every window test) needs before the first window is made.
void SetupApplication(QApplication& app, bool realDialogs = true);

} // namespace mv
