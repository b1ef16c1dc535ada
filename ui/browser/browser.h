#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvane {

namespace platform {
class DirList;
class DriveList;
class FileList;
}

class frmEditor;
class ViewerHost;

// The small save-as window: drive, folder and name of a list to be saved as
// ".txt". It writes ExportText itself and switches the viewer that opened it
// on again however it is closed. Each opening is a new window, deleted when
// it closes.
class Browser : public QWidget {
    Q_OBJECT
public:
    // viewer: the window to enable again on close; may be null or go away.
    explicit Browser(QWidget *viewer);
    ~Browser() override;

    platform::DriveList *Drive1() const { return m_Drive1; }
    platform::DirList *Dir1() const { return m_Dir1; }
    platform::FileList *File1() const { return m_File1; }
    QLineEdit *Text2() const { return m_Text2; }
    QLabel *Label1() const { return m_Label1; }
    QPushButton *Command1() const { return m_Command1; }
    QPushButton *Command2() const { return m_Command2; }

    // Centres the window's outer frame on the screen (twips, not clamped).
    void Form_Load();

    void Drive1_Change(const QString &drive);
    void Dir1_Change(const QString &path);
    void File1_Click(const QString &name);
    // "Übernehmen": writes ExportText to folder + name + ".txt", then closes.
    void Command1_Click();
    // "Abbrechen".
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enableViewer();

    QPointer<QWidget> m_viewer;
    platform::DriveList *m_Drive1 = nullptr;
    platform::DirList *m_Dir1 = nullptr;
    platform::FileList *m_File1 = nullptr;
    QLineEdit *m_Text2 = nullptr;
    QLabel *m_Label1 = nullptr;
    QPushButton *m_Command1 = nullptr;
    QPushButton *m_Command2 = nullptr;
    // A long list is written with pauses for the window; meanwhile the
    // browser neither closes nor writes a second time.
    bool m_writing = false;
};

// The name a clicked file puts into the name field: the name without its last
// four characters; a shorter name leaves the field empty.
QString nameWithoutLastFour(const QString &fileName);

// Creates, places and shows a new browser for the viewer.
Browser *OpenBrowser(frmEditor *viewer);

// Lets the viewer's save commands open the browser; called once at start-up.
void InstallSaveAsBrowser(ViewerHost &host);

} // namespace quorvane
