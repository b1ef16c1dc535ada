#include "filelist.h"

#include "platform/fslog.h"
#include "platform/namecodec.h"
#include "platform/services.h"
#include "platform/widgets/listfolder.h"
#include "platform/wildcard.h"

#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane::platform {

namespace {

constexpr int NameRole = Qt::UserRole;

} // namespace

FileList::FileList(QWidget *parent) : QWidget(parent), m_view(new QListWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setUniformItemSizes(true);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusProxy(m_view);
    connect(m_view, &QListWidget::itemClicked, this, [this](QListWidgetItem *row) {
        if (row)
            emit fileClicked(row->data(NameRole).toString());
    });
    // A new list starts at the program's current folder.
    logFailure(setPath(fileSystem().currentDirectory()), QStringLiteral("Dateiliste öffnen"));
}

QString FileList::path() const
{
    return m_path;
}

Status FileList::setPath(const QString &path)
{
    const Result<QString> stored = storedListFolder(path);
    if (!stored.ok())
        return Status::failure(stored.error, stored.message);
    return load(stored.value());
}

Status FileList::load(const QString &folder)
{
    FileSystem &fs = fileSystem();
    const Result<std::vector<DirEntry>> entries = fs.readDirectory(folder);
    if (!entries.ok())
        return Status::failure(entries.error, entries.message);
    m_allNames.clear();
    m_allAttributes.clear();
    // A link is a file here, as the file system reports it.
    for (const DirEntry &e : entries.value()) {
        if (e.isDirectory)
            continue;
        m_allNames.append(e.name);
        m_allAttributes.append(e.attributes);
    }
    m_path = folder;
    rebuild();
    return Status::success();
}

QString FileList::pattern() const
{
    return m_pattern;
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    rebuild();
}

void FileList::setHiddenFiles(bool on)
{
    m_hidden = on;
    rebuild();
}

void FileList::setSystemFiles(bool on)
{
    m_system = on;
    rebuild();
}

Status FileList::refresh()
{
    if (m_path.isEmpty())
        return Status::failure(ErrPathNotFound, QStringLiteral("Pfad nicht gefunden"));
    return load(m_path);
}

qsizetype FileList::count() const
{
    return m_names.size();
}

QString FileList::item(qsizetype index) const
{
    return index >= 0 && index < m_names.size() ? m_names.at(index) : QString();
}

QString FileList::fileName() const
{
    const QListWidgetItem *row = m_view->currentItem();
    return row && row->isSelected() ? row->data(NameRole).toString() : QString();
}

void FileList::rebuild()
{
    const WildcardList patterns(m_pattern);
    m_names.clear();
    for (qsizetype i = 0; i < m_allNames.size(); ++i) {
        const std::uint32_t a = m_allAttributes.at(i);
        if ((a & AttrHidden) && !m_hidden)
            continue;
        if ((a & AttrSystem) && !m_system)
            continue;
        if (patterns.matches(m_allNames.at(i)))
            m_names.append(m_allNames.at(i));
    }
    std::sort(m_names.begin(), m_names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    m_view->clear();
    for (const QString &name : m_names) {
        auto *row = new QListWidgetItem(displayName(name), m_view);
        row->setData(NameRole, name);
    }
}

} // namespace quorvane::platform
