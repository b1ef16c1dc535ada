#pragma once

class QCoreApplication;

namespace quorvane::platform {

// Qt's own texts (the context menus of text fields, standard buttons) in
// German where the system's language is German, from Qt's translations as
// the host installed them. False where they are not installed; Qt's English
// texts stay then.
bool installGermanQtTexts(QCoreApplication &app);

} // namespace quorvane::platform
