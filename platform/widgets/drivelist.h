#pragma once

#include "platform/result.h"

#include <QComboBox>
#include <QString>

namespace quorvane::platform {

// The drives the file system knows, one row each ("C:" with its host folder).
// The drive is read and set as "C:"; setting it, or the user picking another
// row, raises driveChanged once per real change.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    QString drive() const; // "C:", empty when no drive exists
    // Accepts "d", "D:", "d:" or any path on the drive; fails with 68 for a
    // drive that does not exist and keeps the current one.
    [[nodiscard]] Status setDrive(const QString &drive);
    // Reads the drives again, keeping the selection when that drive still exists.
    void refreshDrives();

signals:
    void driveChanged(const QString &drive);

private:
    void onIndexChanged(int index);

    QString m_drive;
    bool m_filling = false;
};

} // namespace quorvane::platform
