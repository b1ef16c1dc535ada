#pragma once

#include "engine/run/joboptions.h"
#include "engine/run/run.h"
#include "startup/form1port.h"
#include "ui/main/progressstrip.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvane {

class TabRing;

namespace platform {
class DirList;
class DriveList;
} // namespace platform

// The main window: collects the job, starts the run, creates folders in the
// target and stores the user's patterns when it is closed.
class Form1 : public QWidget, public Form1Port {
    Q_OBJECT
public:
    // The window loads as it is created: the load handler runs here.
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Form1Port: what start-up sets before the window is shown.
    platform::Status setSourceDrive(const QString &drive) override;
    platform::Status setSourceDirectory(const QString &path) override;
    void setPatternText(const QString &text) override;
    void show() override;

    // The job exactly as the controls hold it at this moment.
    JobOptions readJob() const;

    // The window's outer width in twips, as the layouts set it.
    int outerWidthTwips() const { return m_outerWidthTwips; }
    // The outer size in twips, frame included.
    QSize outerSizeTwips() const;

    // How the program ends: after the unload handler (close), and at once
    // (Esc on the start button). Tests put in their own.
    void setProgramEnd(std::function<void()> end) { m_programEnd = std::move(end); }
    void setImmediateEnd(std::function<void()> end) { m_immediateEnd = std::move(end); }

    // The controls, under the names the rest of the program knows them by.
    QLabel *Label1 = nullptr;
    platform::DriveList *Drive1 = nullptr;
    platform::DirList *Dir1 = nullptr;
    QCheckBox *Check5 = nullptr;
    QPushButton *Command1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<QCheckBox *, 7> Check1{};
    QLineEdit *Text1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option3 = nullptr;
    QCheckBox *Check3 = nullptr;
    QCheckBox *Check4 = nullptr;
    QCheckBox *Check6 = nullptr;
    QLabel *Label2 = nullptr;
    platform::DriveList *Drive2 = nullptr;
    platform::DirList *Dir2 = nullptr;
    QPushButton *Command2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QFrame *Picture1 = nullptr;
    QLabel *Label3 = nullptr;

    // Position of the last mouse press on the window's surface, in twips.
    int MStartX = 0;
    int MStartY = 0;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createControls(); // form1controls.cpp
    void connectHandlers();
    void setOuterWidthTwips(int twips);
    void applyClientSize();
    void takeFrame();
    void endProgram();
    void abandonOpenOutput();
    bool optionArrowKey(QRadioButton &option, int key);

    void Form_Load();
    void Check1_Click(int index);
    void Check3_Click();
    void Option1_Click();
    void Option2_Click();
    void Drive1_Change();
    void Drive2_Change();
    void Command1_Click();
    bool Command1_KeyDown(int keyCode);
    void Command2_Click();
    bool Text2_KeyDown(int keyCode);
    bool Text2_KeyPress(QKeyEvent &event);

    int m_outerWidthTwips = 8710;
    QMargins m_frame;       // the frame the window system reports, in pixels
    bool m_dragged = false; // placed by the user: no more centring
    bool m_compositorDrags = false; // this press's drag is the compositor's
    std::function<void()> m_programEnd;
    std::function<void()> m_immediateEnd;
    Run m_run; // the window's own runs; the viewer reads their lists
    std::unique_ptr<TabRing> m_tabRing; // built with the controls
    std::unique_ptr<ProgressStrip> m_strip;
};

} // namespace quorvane
