#pragma once

#include "platform/result.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;

namespace quorvane::platform {

// The files of one folder whose names match a ";"-separated wildcard pattern
// ("*.*" by default), sorted without regard to case. Hidden and system files
// are left out until their switch is on; folders are never listed.
class FileList : public QWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const;
    // A folder that is missing or cannot be read fails and the old path stays.
    [[nodiscard]] Status setPath(const QString &path);
    QString pattern() const;
    void setPattern(const QString &pattern);
    bool hiddenFiles() const { return m_hidden; }
    void setHiddenFiles(bool on);
    bool systemFiles() const { return m_system; }
    void setSystemFiles(bool on);
    // Reads the folder again.
    [[nodiscard]] Status refresh();

    qsizetype count() const;
    QString item(qsizetype index) const; // the name, without folder; empty outside the range
    QString fileName() const;            // the selected name, or empty

    QListWidget *view() const { return m_view; }

signals:
    void fileClicked(const QString &name);

private:
    [[nodiscard]] Status load(const QString &folder);
    void rebuild();

    QListWidget *m_view;
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    bool m_hidden = false;
    bool m_system = false;
    QStringList m_allNames; // every file of the folder, before pattern and switches
    QList<std::uint32_t> m_allAttributes;
    QStringList m_names; // what the list shows
};

} // namespace quorvane::platform
