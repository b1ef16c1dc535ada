// The program: the Qt application, the toolkit on it, start-up, the event loop.
#include "platform/namecodec.h"
#include "platform/processtuning.h"
#include "platform/services.h"
#include "platform/widgets/qttexts.h"
#include "platform/widgets/qttoolkit.h"
#include "startup/appmodule.h"
#include "startup/windowsystem.h"
#include "ui/browser/browser.h"
#include "ui/main/form1.h"
#include "ui/viewer/viewerhost.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <memory>

int main(int argc, char *argv[])
{
    quorvane::platform::keepFreedMemory();
    // A Wayland compositor ignores where a program puts its windows: on a
    // Wayland desktop the program is an X client of its XWayland, so that its
    // windows stand centred and its body drags them. Qt reads this when the
    // application object is made.
    const QByteArray platform =
        quorvane::chosenPlatform(qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"), qgetenv("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    // The program ends only through its main window (close box or Esc on the
    // start button), never because a viewer, browser or message box closed last.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvane.svg")));
    // The program speaks German; Qt's own menus and buttons do so where the system does.
    (void)quorvane::platform::installGermanQtTexts(app);
    quorvane::platform::QtToolkit toolkit;
    quorvane::platform::installToolkit(&toolkit);
    quorvane::InstallSaveAsBrowser(quorvane::viewerHost());

    // The program folder holds the settings file; a test may put it elsewhere.
    const QString appDir = qEnvironmentVariable("QUORVANE_APP_DIR");
    if (!appDir.isEmpty())
        quorvane::setProgramFolderSource([appDir] { return QDir(appDir).absolutePath(); });

    // Loaded at the first touch, as start-up expects of the main window.
    std::unique_ptr<quorvane::Form1> window;
    const auto form1 = [&window]() -> quorvane::Form1Port & {
        if (!window)
            window = std::make_unique<quorvane::Form1>();
        return *window;
    };
    // Qt has taken its own options out of argv; the rest keep every byte of a
    // host name (Qt's own decoding would lose what is not UTF-8).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(quorvane::platform::decodeText(QByteArray(argv[i])));
    quorvane::Main(arguments, form1);
    if (!window) // start-up could not touch the window: there is nothing to run
        return 1;

    const int code = app.exec();
    // Every other window goes with the main window.
    quorvane::viewerHost().unloadViewer();
    window.reset();
    quorvane::platform::installToolkit(nullptr);
    return code;
}
