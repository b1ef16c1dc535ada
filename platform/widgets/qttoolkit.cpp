#include "qttoolkit.h"

#include "platform/headlesstoolkit.h"
#include "platform/widgets/twips.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <utility>
#include <vector>

namespace quorvane::platform {

namespace {

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case StyleError:
        return QMessageBox::Critical;
    case StyleQuestion:
        return QMessageBox::Question;
    case StyleWarning:
        return QMessageBox::Warning;
    case StyleInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Buttons in the order the style names them, with the answer each gives.
std::vector<std::pair<QString, int>> buttonsOf(int style)
{
    const QString ok = QStringLiteral("OK");
    const QString cancel = QStringLiteral("Abbrechen");
    const QString yes = QStringLiteral("Ja");
    const QString no = QStringLiteral("Nein");
    switch (style & 7) {
    case 1:
        return {{ok, AnswerOk}, {cancel, AnswerCancel}};
    case 2:
        return {
            {QStringLiteral("Abbrechen"), 3}, {QStringLiteral("Wiederholen"), 4}, {QStringLiteral("Ignorieren"), 5}};
    case 3:
        return {{yes, AnswerYes}, {no, AnswerNo}, {cancel, AnswerCancel}};
    case 4:
        return {{yes, AnswerYes}, {no, AnswerNo}};
    case 5:
        return {{QStringLiteral("Wiederholen"), 4}, {cancel, AnswerCancel}};
    default:
        return {{ok, AnswerOk}};
    }
}

bool haveWidgets()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

QtToolkit::~QtToolkit()
{
    if (haveWidgets())
        setDefaultCursor();
}

void QtToolkit::yield()
{
    if (QCoreApplication::instance())
        QApplication::processEvents();
}

void QtToolkit::setBusyCursor()
{
    if (m_overrides > 0 || !haveWidgets())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++m_overrides;
}

void QtToolkit::setDefaultCursor()
{
    while (m_overrides > 0) {
        QApplication::restoreOverrideCursor();
        --m_overrides;
    }
}

int QtToolkit::messageBox(const QString &prompt, int style, const QString &title)
{
    if (!haveWidgets()) // no windows to show it in: say it on stderr instead
        return HeadlessToolkit().messageBox(prompt, style, title);
    QMessageBox box(iconOf(style), title, prompt, QMessageBox::NoButton, QApplication::activeWindow());
    const auto buttons = buttonsOf(style);
    std::vector<QPushButton *> made;
    for (const auto &[text, answer] : buttons) {
        // Roles only order the buttons; the answer is looked up by button.
        made.push_back(box.addButton(text, QMessageBox::ActionRole));
    }
    const int defaultIndex = (style & 0x300) >> 8;
    box.setDefaultButton(made[size_t(defaultIndex) < made.size() ? size_t(defaultIndex) : 0]);
    // Esc and the close box: Cancel where there is one, else No, else OK.
    int escapeAnswer = buttons.front().second;
    for (const auto &[text, answer] : buttons) {
        if (answer == AnswerCancel || (answer == AnswerNo && escapeAnswer != AnswerCancel))
            escapeAnswer = answer;
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i].second == escapeAnswer)
            box.setEscapeButton(made[i]);
    }
    // Ctrl+C copies the text, as message boxes on Windows do: a path the box
    // names can then be pasted where the user wants to open it.
    const QShortcut copy(QKeySequence::Copy, &box);
    QObject::connect(&copy, &QShortcut::activated, &box, [prompt] { QGuiApplication::clipboard()->setText(prompt); });
    box.exec();
    for (size_t i = 0; i < made.size(); ++i) {
        if (box.clickedButton() == made[i])
            return buttons[i].second;
    }
    return escapeAnswer;
}

QSize QtToolkit::screenSizeTwips() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->size() : QSize(1024, 768);
    return {int(pixelsToTwips(pixels.width())), int(pixelsToTwips(pixels.height()))};
}

} // namespace quorvane::platform
