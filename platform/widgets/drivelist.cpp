#include "drivelist.h"

#include "platform/drivepath.h"
#include "platform/namecodec.h"
#include "platform/services.h"

namespace quorvane::platform {

namespace {

// "d", "D:", "d:\x" -> "D:"; anything else -> empty.
QString normalisedDrive(const QString &text)
{
    const QChar letter = text.size() == 1 ? driveLetter(text.at(0)) : driveLetterOf(text);
    return letter.isNull() ? QString() : letter + QStringLiteral(":");
}

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::onIndexChanged);
    refreshDrives();
}

QString DriveList::drive() const
{
    return m_drive;
}

Status DriveList::setDrive(const QString &drive)
{
    const QString wanted = normalisedDrive(drive);
    const int index = wanted.isEmpty() ? -1 : findData(wanted);
    if (index < 0)
        return Status::failure(ErrDeviceUnavailable, QStringLiteral("Gerät nicht verfügbar"));
    setCurrentIndex(index); // raises driveChanged through onIndexChanged when it differs
    return Status::success();
}

void DriveList::refreshDrives()
{
    m_filling = true;
    clear();
    FileSystem &fs = fileSystem();
    for (const QString &d : fs.drives()) {
        const Result<QString> host = fs.hostPath(d + QLatin1Char('\\'));
        const QString label =
            host.ok() ? QStringLiteral("%1  [%2]").arg(d.toLower(), displayName(host.value())) : d.toLower();
        addItem(label, d);
    }
    // A new list starts at the program's current drive.
    const QString keep = m_drive.isEmpty() ? fs.currentDrive().toUpper() : m_drive;
    int index = keep.isEmpty() ? -1 : findData(keep);
    if (index < 0)
        index = count() > 0 ? 0 : -1;
    setCurrentIndex(index);
    m_filling = false;
    m_drive = index >= 0 ? itemData(index).toString() : QString();
}

void DriveList::onIndexChanged(int index)
{
    if (m_filling)
        return;
    const QString now = index >= 0 ? itemData(index).toString() : QString();
    if (now == m_drive)
        return;
    m_drive = now;
    emit driveChanged(m_drive);
}

} // namespace quorvane::platform
