#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A private X display (1024 x 768, 96 dpi) with openbox as its window
// manager, the built program on it, and a user's hands: pointer clicks at
// places given in twips, typed keys, the close box. What it reads back is
// what a user sees: windows with their titles and places, the clipboard.
// Window ids are X window ids as xdotool prints them.
class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    // Starts the X server and the window manager; the reason when it cannot.
    QString start();
    // Instead of start(): a Wayland desktop, weston with XWayland, whose X
    // display the tools then drive. weston shows its screen in a window on a
    // private Xvfb, which lends it a pointer and a keyboard: its headless
    // backend has none, and XWayland stops at the first pointer event
    // without them. Programs see WAYLAND_DISPLAY, DISPLAY and
    // XDG_SESSION_TYPE=wayland, and no platform chosen for Qt.
    QString startWayland();
    // What startWayland() needs and this machine lacks; empty when all is there.
    static QString missingForWayland();

    // Starts the program with its own program folder and drive map, in
    // workDir, and waits for its main window to be shown and focused;
    // returns that window, or an empty id.
    // environment: more "NAME=value" settings for the program alone.
    QString launch(const QString &appDir, const QString &drives, const QStringList &args = {},
                   const QString &workDir = {}, const QStringList &environment = {});
    // Only starts the program, for windows the X display does not see.
    bool startProgram(const QString &appDir, const QString &drives, const QStringList &args = {},
                      const QString &workDir = {}, const QStringList &environment = {});
    // A command the program is started under (strace to slow a call down),
    // from the next launch on; empty for none.
    void setWrapper(const QStringList &command) { m_wrapper = command; }
    bool running() const;
    // The exit code once the program has ended by itself; -1 when it is
    // still running after ms, -2 when it crashed.
    int waitForExit(int ms = 10000);
    // Ends a program that is still running (after a failed journey).
    void stop();

    // The visible windows with exactly this title (empty also when a window
    // vanished during the search: wait for windows, do not count them).
    QStringList windows(const QString &title) const;
    // Waits for a visible window with this title other than those in
    // except; empty when none came.
    QString waitForWindow(const QString &title, const QStringList &except = {}, int ms = 15000) const;
    // Keys go where the focus is: waits for the window manager to give it.
    bool waitForFocus(const QString &id, int ms = 10000) const;
    bool waitUntilGone(const QString &id, int ms = 10000) const;
    bool isShown(const QString &id) const;
    // The window's client area and its outer frame (as the window manager
    // drew it) on the screen.
    QRect clientArea(const QString &id) const;
    QRect outerFrame(const QString &id) const;
    // The program's visible windows, menus and lists that drop down included.
    QStringList programWindows() const;
    // Waits for a window of the program that is not in before; empty when none came.
    QString waitForNewWindow(const QStringList &before, int ms = 10000) const;
    // Where the window manager puts the client area of a window that asks
    // for a place (another program's, made there), less that place: the
    // frame's left and top; (-1, -1) when no such window came.
    QPoint clientOffset() const;
    // One property as xprop prints it.
    QString property(const QString &id, const QString &name) const;
    // Exactly as the program offers it, blanks at the end included.
    QString clipboard() const;
    // The file in which the X server keeps what the screen shows (XWD).
    QString screenFile() const;

    // A left click at a point of the window's client area given in twips.
    void click(const QString &id, QPoint twips) const;
    void clickPixel(const QString &id, QPoint pixel) const;
    void keys(const QStringList &names) const;
    void type(const QString &text) const;
    // The window manager's close box.
    void closeBox(const QString &id) const;
    // Runs xdotool with these arguments (for drags and the like).
    void xdotool(const QStringList &args) const;

    // Under startWayland(): weston's own account of its screen (every
    // surface with its place), and xdotool on the display whose input weston
    // takes as its seat's, in the coordinates of weston's screen.
    QString sceneGraph() const;
    void compositorInput(const QStringList &xdotoolArgs) const;

private:
    // The tool's standard output, without blanks around it unless exact.
    QByteArray tool(const QString &program, const QStringList &args, int *exitCode = nullptr, bool exact = false) const;
    void stopProcess(QProcess &process);
    QString startServer();

    QProcessEnvironment m_env;
    QProcess m_server;
    QProcess m_windowManager;
    QProcess m_program;
    std::unique_ptr<QTemporaryDir> m_runtime;
    QStringList m_wrapper;
    std::unique_ptr<QTemporaryDir> m_screen;
    QString m_seatDisplay; // under startWayland(): the Xvfb behind weston's seat
};
