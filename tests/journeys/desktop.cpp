#include "desktop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int PollMs = 40;

// Polls until done() holds or ms have passed.
template <typename Check>
bool waitUntil(int ms, Check done)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(PollMs);
    }
    return true;
}

int pixels(int twips)
{
    return qRound(twips / 15.0);
}

} // namespace

Desktop::Desktop() : m_env(QProcessEnvironment::systemEnvironment())
{
    // The tools and the program talk to this display only, without a cookie.
    m_env.remove(QStringLiteral("XAUTHORITY"));
    m_env.remove(QStringLiteral("WAYLAND_DISPLAY"));
}

Desktop::~Desktop()
{
    stopProcess(m_program);
    stopProcess(m_windowManager);
    stopProcess(m_server);
}

void Desktop::stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QString Desktop::start()
{
    for (const char *program : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "wmctrl", "xclip"}) {
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
            return QStringLiteral("%1 is not installed (tools/install-deps.sh installs it)")
                .arg(QLatin1String(program));
    }
    const QString why = startServer();
    if (!why.isEmpty())
        return why;
    m_windowManager.setProcessEnvironment(m_env);
    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(QStringLiteral("openbox"), {});
    if (!m_windowManager.waitForStarted(10000))
        return QStringLiteral("openbox cannot be started");
    const bool managed = waitUntil(15000, [this] {
        return tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains("window id");
    });
    return managed
        ? QString()
        : QStringLiteral("openbox did not take over the display %1: %2")
              .arg(m_env.value(QStringLiteral("DISPLAY")), QString::fromLocal8Bit(m_windowManager.readAll()));
}

// Xvfb on a display of its own, with a private runtime and home folder.
QString Desktop::startServer()
{
    // The server picks a free display itself and names it on standard output,
    // so suites running side by side never share one. Without -noreset it
    // would reset when a first short-lived client leaves, under the feet of
    // the window manager that is just connecting.
    // -fbdir keeps the screen in a file: what the user sees, readable without more tools.
    m_screen = std::make_unique<QTemporaryDir>();
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1024x768x24"), QStringLiteral("-dpi"), QStringLiteral("96"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset"),
                    QStringLiteral("-fbdir"), m_screen->path()});
    if (!m_server.waitForStarted(10000))
        return QStringLiteral("Xvfb cannot be started");
    QByteArray number;
    waitUntil(15000, [&] {
        m_server.waitForReadyRead(PollMs);
        number += m_server.readAllStandardOutput();
        return number.contains('\n') || m_server.state() == QProcess::NotRunning;
    });
    if (!number.contains('\n'))
        return QStringLiteral("Xvfb named no display: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
    m_env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number.trimmed()));

    m_runtime = std::make_unique<QTemporaryDir>();
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    m_env.insert(QStringLiteral("HOME"), m_runtime->path());
    return {};
}

QString Desktop::missingForWayland()
{
    for (const char *program :
         {"Xvfb", "weston", "Xwayland", "weston-debug", "xdotool", "xprop", "xwininfo", "xmessage"}) {
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
            return QStringLiteral("%1 is not installed (tools/install-deps.sh installs it)")
                .arg(QLatin1String(program));
    }
    const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    if (plugins.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty())
        return QStringLiteral("Qt's Wayland platform is not installed in %1 (qt6-wayland; tools/install-deps.sh)")
            .arg(plugins.path());
    return {};
}

QString Desktop::startWayland()
{
    QString why = startServer();
    if (!why.isEmpty())
        return why;
    m_seatDisplay = m_env.value(QStringLiteral("DISPLAY"));
    // --debug lets weston-debug read the scene graph; without --idle-time=0
    // weston locks its screen after five minutes.
    m_windowManager.setProcessEnvironment(m_env);
    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(QStringLiteral("weston"),
                          {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                           QStringLiteral("--width=1024"), QStringLiteral("--height=768"),
                           QStringLiteral("--socket=wayland-quorvane"), QStringLiteral("--xwayland"),
                           QStringLiteral("--no-config"), QStringLiteral("--idle-time=0"), QStringLiteral("--debug")});
    if (!m_windowManager.waitForStarted(10000))
        return QStringLiteral("weston cannot be started");
    // weston names the display of its X server once it listens there.
    const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
    QString log;
    QString xDisplay;
    waitUntil(20000, [&] {
        m_windowManager.waitForReadyRead(PollMs);
        log += QString::fromLocal8Bit(m_windowManager.readAll());
        xDisplay = listening.match(log).captured(1);
        return !xDisplay.isEmpty() || m_windowManager.state() == QProcess::NotRunning;
    });
    if (xDisplay.isEmpty())
        return QStringLiteral("weston started no X server: ") + log;
    m_env.insert(QStringLiteral("DISPLAY"), xDisplay);
    m_env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-quorvane"));
    m_env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    // XWayland starts at its first client; its window manager comes after.
    const bool managed = waitUntil(20000, [this] {
        return tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains("window id");
    });
    return managed ? QString()
                   : QStringLiteral("XWayland on %1 got no window manager: %2")
                         .arg(xDisplay, log + QString::fromLocal8Bit(m_windowManager.readAll()));
}

QByteArray Desktop::tool(const QString &program, const QStringList &args, int *exitCode, bool exact) const
{
    QProcess process;
    process.setProcessEnvironment(m_env);
    process.start(program, args);
    const bool ended = process.waitForFinished(10000);
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    if (exitCode)
        *exitCode = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    const QByteArray out = process.readAllStandardOutput();
    return exact ? out : out.trimmed();
}

bool Desktop::startProgram(const QString &appDir, const QString &drives, const QStringList &args,
                           const QString &workDir, const QStringList &environment)
{
    QProcessEnvironment env = m_env;
    // On a Wayland desktop the program chooses for itself, as a user's would.
    if (m_seatDisplay.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    else
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("QUORVANE_APP_DIR"), appDir);
    env.insert(QStringLiteral("QUORVANE_DRIVES"), drives);
    for (const QString &setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(workDir);
    m_program.setProcessChannelMode(QProcess::ForwardedChannels);
    if (m_wrapper.isEmpty())
        m_program.start(QStringLiteral(QUORVANE_EXE), args);
    else
        m_program.start(m_wrapper.first(), m_wrapper.mid(1) + QStringList{QStringLiteral(QUORVANE_EXE)} + args);
    return m_program.waitForStarted(10000);
}

QString Desktop::launch(const QString &appDir, const QString &drives, const QStringList &args, const QString &workDir,
                        const QStringList &environment)
{
    if (!startProgram(appDir, drives, args, workDir, environment))
        return {};
    const QString main = waitForWindow(QStringLiteral("Brannick Quorvane"));
    if (main.isEmpty() || !waitForFocus(main))
        return {};
    // The window is centred once more when its frame is known; wait for it to rest.
    QRect last;
    waitUntil(5000, [&] {
        const QRect now = outerFrame(main);
        const bool rests = now == last && !now.isEmpty();
        last = now;
        return rests;
    });
    return main;
}

bool Desktop::running() const
{
    return m_program.state() == QProcess::Running;
}

int Desktop::waitForExit(int ms)
{
    if (!m_program.waitForFinished(ms) && m_program.state() != QProcess::NotRunning)
        return -1;
    return m_program.exitStatus() == QProcess::NormalExit ? m_program.exitCode() : -2;
}

void Desktop::stop()
{
    stopProcess(m_program);
}

QStringList Desktop::windows(const QString &title) const
{
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QByteArray ids =
        tool(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern});
    return QString::fromLatin1(ids).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString Desktop::waitForWindow(const QString &title, const QStringList &except, int ms) const
{
    QString found;
    waitUntil(ms, [&] {
        for (const QString &id : windows(title)) {
            if (!except.contains(id))
                found = id;
        }
        return !found.isEmpty();
    });
    return found;
}

bool Desktop::waitForFocus(const QString &id, int ms) const
{
    return waitUntil(ms, [&] {
        return QString::fromLatin1(tool(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")})) == id;
    });
}

bool Desktop::waitUntilGone(const QString &id, int ms) const
{
    return waitUntil(ms, [&] {
        int code = 0;
        const QByteArray state = tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}, &code);
        return code != 0 || state.contains("IsUnMapped");
    });
}

bool Desktop::isShown(const QString &id) const
{
    return tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}).contains("IsViewable");
}

QRect Desktop::clientArea(const QString &id) const
{
    const QString info = QString::fromLatin1(tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}));
    const auto field = [&info](const QString &name) {
        const QRegularExpressionMatch m = QRegularExpression(name + QStringLiteral(":\\s*(-?\\d+)")).match(info);
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    };
    return QRect(field(QStringLiteral("Absolute upper-left X")), field(QStringLiteral("Absolute upper-left Y")),
                 field(QStringLiteral("Width")), field(QStringLiteral("Height")));
}

QRect Desktop::outerFrame(const QString &id) const
{
    const QRect client = clientArea(id);
    // left, right, top, bottom
    const QStringList extents =
        property(id, QStringLiteral("_NET_FRAME_EXTENTS")).section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (extents.size() != 4)
        return client;
    return client.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(), extents[1].trimmed().toInt(),
                           extents[3].trimmed().toInt());
}

QPoint Desktop::clientOffset() const
{
    const QPoint asked(200, 150);
    QProcess probe;
    probe.setProcessEnvironment(m_env);
    probe.start(QStringLiteral("xmessage"),
                {QStringLiteral("-name"), QStringLiteral("quorvane-probe"), QStringLiteral("-geometry"),
                 QStringLiteral("+200+150"), QStringLiteral("probe")});
    QPoint offset(-1, -1);
    // A frame lies around the window: until the X display shows the window
    // where the screen has it, the offset is no frame's.
    waitUntil(10000, [&] {
        const QStringList ids =
            QString::fromLatin1(tool(QStringLiteral("xdotool"),
                                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--classname"), QStringLiteral("^quorvane-probe$")}))
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (ids.isEmpty())
            return false;
        const QPoint now = clientArea(ids.first()).topLeft() - asked;
        if (now.x() < 0 || now.y() < 0 || now.x() > 100 || now.y() > 100)
            return false;
        offset = now;
        return true;
    });
    probe.terminate();
    if (!probe.waitForFinished(3000)) {
        probe.kill();
        probe.waitForFinished();
    }
    return offset;
}

QString Desktop::property(const QString &id, const QString &name) const
{
    return QString::fromLatin1(tool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, name}));
}

QString Desktop::clipboard() const
{
    return QString::fromUtf8(tool(QStringLiteral("xclip"),
                                  {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")},
                                  nullptr, true));
}

QString Desktop::screenFile() const
{
    return m_screen ? m_screen->filePath(QStringLiteral("Xvfb_screen0")) : QString();
}

QStringList Desktop::programWindows() const
{
    const QByteArray ids = tool(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                                 QStringLiteral("^quorvane$")});
    return QString::fromLatin1(ids).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString Desktop::waitForNewWindow(const QStringList &before, int ms) const
{
    QString found;
    waitUntil(ms, [&] {
        for (const QString &id : programWindows()) {
            if (!before.contains(id))
                found = id;
        }
        return !found.isEmpty();
    });
    return found;
}

void Desktop::click(const QString &id, QPoint twips) const
{
    clickPixel(id, QPoint(pixels(twips.x()), pixels(twips.y())));
}

void Desktop::clickPixel(const QString &id, QPoint pixel) const
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(pixel.x()),
             QString::number(pixel.y()), QStringLiteral("click"), QStringLiteral("1")});
}

void Desktop::keys(const QStringList &names) const
{
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")} + names);
}

void Desktop::type(const QString &text) const
{
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

void Desktop::closeBox(const QString &id) const
{
    tool(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), id});
}

void Desktop::xdotool(const QStringList &args) const
{
    tool(QStringLiteral("xdotool"), args);
}

QString Desktop::sceneGraph() const
{
    return QString::fromUtf8(tool(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")}));
}

void Desktop::compositorInput(const QStringList &xdotoolArgs) const
{
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("DISPLAY"), m_seatDisplay);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("xdotool"), xdotoolArgs);
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished();
}
