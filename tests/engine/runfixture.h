#pragma once

#include "enginedrive.h"

#include "engine/run/run.h"
#include "engine/run/listingview.h"

#include <QDirIterator>
#include <QFileInfo>

// The viewer as the run sees it, recording what it is told.
class FakeView : public quorvane::ListingView {
public:
    void showViewer() override { ++shows; }
    void clearPanes() override
    {
        ++clears;
        filePane.clear();
        dirPane.clear();
    }
    void appendToFilePane(const QStringList &entries) override
    {
        ++fileCalls;
        append(filePane, entries);
    }
    void appendToDirPane(const QStringList &entries) override
    {
        ++dirCalls;
        append(dirPane, entries);
    }

    int shows = 0;
    int clears = 0;
    int fileCalls = 0;
    int dirCalls = 0;
    QString filePane;
    QString dirPane;

private:
    static void append(QString &pane, const QStringList &entries)
    {
        for (const QString &entry : entries) {
            if (pane.isEmpty()) {
                pane = entry;
            } else {
                pane += QStringLiteral("\r\n");
                pane += entry;
            }
        }
    }
};

// A job on drive D: from D:\src to D:\tgt, every file type unless told otherwise.
inline quorvane::JobOptions jobOn(const QString &source = QStringLiteral("D:\\src"),
                                  const QString &target = QStringLiteral("D:\\tgt"))
{
    quorvane::JobOptions o;
    o.SourceDir = source;
    o.TargetDir = target;
    o.AllTypes = quorvane::Checked;
    return o;
}

// The runs of the tests, as the window's: one owner whose lists the last run left.
inline quorvane::Run &testRun()
{
    static quorvane::Run run;
    return run;
}

inline quorvane::RunSummary runWith(const quorvane::JobOptions &options, quorvane::ListingView *view = nullptr)
{
    return testRun().RunJob(options, view);
}

// Every file and folder below a host folder, relative, "/"-separated, folders
// ending in "/", sorted; hidden ones included.
inline QStringList treeOf(const QString &hostFolder)
{
    QStringList out;
    QDirIterator it(hostFolder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QString relative = path.mid(hostFolder.size() + 1);
        if (it.fileInfo().isDir() && !it.fileInfo().isSymLink())
            relative += QLatin1Char('/');
        out.append(relative);
    }
    out.sort();
    return out;
}

inline QByteArray contentOf(const QString &hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}
