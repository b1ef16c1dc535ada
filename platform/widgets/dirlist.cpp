#include "dirlist.h"

#include "platform/fslog.h"
#include "platform/namecodec.h"
#include "platform/services.h"
#include "platform/widgets/listfolder.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane::platform {

namespace {

constexpr int PathRole = Qt::UserRole;

// A drive root keeps its "\", every other folder loses it.
bool caseInsensitiveLess(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Every row stays open, so no row shows a fold marker.
class FolderTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}
};

} // namespace

DirList::DirList(QWidget *parent) : QWidget(parent), m_view(new FolderTree(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setHeaderHidden(true);
    m_view->setColumnCount(1);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);
    m_view->setIndentation(10);
    m_view->setExpandsOnDoubleClick(false);
    m_view->header()->setStretchLastSection(true);
    m_view->installEventFilter(this);
    setFocusProxy(m_view);
    connect(m_view, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *row, int) { enterRow(row); });

    // A new list starts at the program's current folder.
    logFailure(setPath(fileSystem().currentDirectory()), QStringLiteral("Verzeichnisliste öffnen"));
}

QString DirList::path() const
{
    return m_path;
}

Status DirList::setPath(const QString &path)
{
    const Result<QString> stored = storedListFolder(path);
    if (!stored.ok())
        return Status::failure(stored.error, stored.message);
    const QString &folder = stored.value();
    const Result<std::vector<DirEntry>> entries = fileSystem().readDirectory(folder);
    if (!entries.ok())
        return Status::failure(entries.error, entries.message);

    // The folder list leaves out what the platform marks hidden or system.
    QStringList names;
    for (const DirEntry &e : entries.value()) {
        if (e.isDirectory && !e.isLink && !(e.attributes & (AttrHidden | AttrSystem)))
            names.append(e.name);
    }
    std::sort(names.begin(), names.end(), caseInsensitiveLess);
    const QString base = folder.endsWith(QLatin1Char('\\')) ? folder : folder + QLatin1Char('\\');
    m_subfolders.clear();
    for (const QString &n : names)
        m_subfolders.append(base + n);

    const bool changed = folder != m_path;
    m_path = folder;
    rebuild();
    if (changed)
        emit pathChanged(m_path);
    return Status::success();
}

Status DirList::refresh()
{
    if (m_path.isEmpty())
        return Status::failure(ErrPathNotFound, QStringLiteral("Pfad nicht gefunden"));
    return setPath(m_path);
}

qsizetype DirList::count() const
{
    return m_subfolders.size();
}

QString DirList::item(qsizetype index) const
{
    return index >= 0 && index < m_subfolders.size() ? m_subfolders.at(index) : QString();
}

QString DirList::rowPath(const QTreeWidgetItem *row)
{
    return row ? row->data(0, PathRole).toString() : QString();
}

bool DirList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            enterRow(m_view->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DirList::enterRow(QTreeWidgetItem *row)
{
    const QString target = rowPath(row);
    if (target.isEmpty() || target == m_path)
        return;
    // A folder that vanished or cannot be read leaves the list where it is.
    logFailure(setPath(target), QStringLiteral("Verzeichnis öffnen"));
}

void DirList::rebuild()
{
    m_view->clear();
    if (m_path.isEmpty())
        return;
    QStyle *style = m_view->style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon drive = style->standardIcon(QStyle::SP_DriveHDIcon);

    // Ancestors: "C:\", then one row per component down to the current folder.
    const QString root = m_path.left(3);
    auto *row = new QTreeWidgetItem(m_view, QStringList(root.toLower()));
    row->setData(0, PathRole, root);
    row->setIcon(0, drive);
    QTreeWidgetItem *current = row;
    if (m_path.size() > 3) {
        QString sofar = root.left(2);
        const QStringList parts = m_path.mid(3).split(QLatin1Char('\\'));
        for (const QString &part : parts) {
            sofar += QLatin1Char('\\') + part;
            current = new QTreeWidgetItem(current, QStringList(displayName(part)));
            current->setData(0, PathRole, sofar);
            current->setIcon(0, open);
        }
    }
    for (const QString &sub : m_subfolders) {
        auto *child =
            new QTreeWidgetItem(current, QStringList(displayName(sub.mid(sub.lastIndexOf(QLatin1Char('\\')) + 1))));
        child->setData(0, PathRole, sub);
        child->setIcon(0, closed);
    }
    m_view->expandAll();
    m_view->setCurrentItem(current);
    m_view->scrollToItem(current);
}

} // namespace quorvane::platform
