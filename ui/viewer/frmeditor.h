#pragma once

#include "viewerlayout.h"

#include "engine/scan/worker.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;

namespace quorvane {

class LinePane;
class StringList;

enum class Pane { Files, Directories };

// The result viewer: found files left, found directories right, both as
// editable text. Closing it unloads it (the window deletes itself); the next
// listing creates a fresh one.
class frmEditor : public QMainWindow {
    Q_OBJECT
public:
    explicit frmEditor(QWidget *parent = nullptr);
    ~frmEditor() override;

    LinePane *txtEdit() const { return m_txtEdit; }
    // The lists of the run owner whose listing this shows; the full-path
    // toggle takes its lines from them. Null: the toggle does nothing.
    void setLists(Begin *lists) { m_lists = lists; }
    LinePane *Text1() const { return m_Text1; }
    QLabel *Label1() const { return m_Label1; }
    QLabel *Label2() const { return m_Label2; }
    QMenu *mnuDatei() const { return m_mnuDatei; }
    QAction *mnuKomplett() const { return m_mnuKomplett; }
    QAction *mnuFileItem() const { return m_mnuFileItem; }
    QAction *mnuDirlist() const { return m_mnuDirlist; }

    // The pane's text with CR LF between its lines.
    QString paneText(Pane pane) const;
    LinePane &pane(Pane pane) const;

    // Centres the window's outer frame on the screen (twips, not clamped).
    void Form_Load();
    // Places the controls for the current client area.
    void Form_Resize();
    const ViewerGeometry &layoutGeometry() const { return m_geometry; }

    // The full-path toggle: the pane shows the other list, shared with it.
    void mnuKomplett_Click();

    // True from the moment the user's close was accepted.
    bool isUnloaded() const { return m_unloaded; }
    // Unloads even while disabled, for the end of the program.
    void unloadNow();

signals:
    void mnuFileItemClicked(quorvane::frmEditor *viewer);
    void mnuDirlistClicked(quorvane::frmEditor *viewer);
    void unloaded(quorvane::frmEditor *viewer);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void applyGeometry();
    void setKomplettChecked(bool checked);
    void unload();

    QWidget *m_client = nullptr;
    LinePane *m_txtEdit = nullptr;
    LinePane *m_Text1 = nullptr;
    QLabel *m_Label1 = nullptr;
    QLabel *m_Label2 = nullptr;
    QMenu *m_mnuDatei = nullptr;
    QAction *m_mnuKomplett = nullptr;
    QAction *m_mnuFileItem = nullptr;
    QAction *m_mnuDirlist = nullptr;

    ViewerGeometry m_geometry;
    Begin *m_lists = nullptr;
    bool m_komplettChecked = false;
    bool m_waitingForLists = false;
    bool m_unloaded = false;
    bool m_forceUnload = false;
    QSize m_minimumBeforeDisable;
    QSize m_maximumBeforeDisable;
};

} // namespace quorvane
