#include "app/testhooks.h"

#include "ui/main/form1.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace quorvane {

namespace {

int delayFrom(const char *name)
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue(name, &ok);
    return ok && ms >= 0 ? ms : -1;
}

} // namespace

void installTestHooks(Form1 &window)
{
    const QString picture = qEnvironmentVariable("QUORVANE_SCREENSHOT");
    if (!picture.isEmpty()) {
        QTimer::singleShot(700, &window, [&window, picture] {
            const bool saved = window.grab().save(picture);
            std::fprintf(stderr, saved ? "Bild gespeichert: %s\n" : "Bild nicht gespeichert: %s\n",
                         qPrintable(picture));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    if (const int ms = delayFrom("QUORVANE_TEST_CLOSE_MS"); ms >= 0)
        QTimer::singleShot(ms, &window, [&window] { window.close(); });
    if (const int ms = delayFrom("QUORVANE_TEST_ESC_MS"); ms >= 0) {
        QTimer::singleShot(ms, &window, [&window] {
            window.Command1->setFocus();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
            QApplication::sendEvent(window.Command1, &press);
        });
    }
}

} // namespace quorvane
