#pragma once

#include "platform/result.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace quorvane::platform {

// A folder list: the current folder's ancestors from the drive root down,
// the current folder open, and its subfolders one step further in. A
// double-click or Enter on a row makes that folder the current one.
class DirList : public QWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget *parent = nullptr);

    // "C:\Daten", a drive root "C:\"; empty until a path could be set.
    QString path() const;
    // Any form the file system resolves ("D:" alone is that drive's current
    // folder). A folder that is missing or cannot be read fails and the old
    // path stays. pathChanged follows a real change.
    [[nodiscard]] Status setPath(const QString &path);
    // Reads the current folder again.
    [[nodiscard]] Status refresh();

    qsizetype count() const;             // subfolders of the current folder
    QString item(qsizetype index) const; // full path of one; empty outside the range

    QTreeWidget *view() const { return m_view; }
    // The full path a row stands for.
    static QString rowPath(const QTreeWidgetItem *row);

signals:
    void pathChanged(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enterRow(QTreeWidgetItem *row);
    void rebuild();

    QTreeWidget *m_view;
    QString m_path;
    QStringList m_subfolders; // full paths, in display order
};

} // namespace quorvane::platform
