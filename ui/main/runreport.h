#pragma once

#include "engine/run/imagingrun.h"
#include "engine/scan/worker.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quorvane {

// How many of the reasons the end-of-run box names itself.
constexpr int ReasonsInBox = 5;

// The name of the whole list in the program's state folder.
inline const QString UndoneListName = QStringLiteral("skipped.txt");

// Whether a run left anything undone that the window must tell: files or
// folders not placed, folders not read. A run that was ignored, ended by a
// stop signal, or refused with a box of its own tells nothing more.
bool runLeftSomethingUndone(const RunSummary &summary, const std::vector<UnreadableFolder> &unread);

// The whole list: one line per file or folder, its drive path, what
// happened and why.
QByteArray undoneList(const RunSummary &summary, const std::vector<UnreadableFolder> &unread);

// Where the whole list can be read: the file written, or why it could not
// be written (and then the run's journal, if it kept one).
struct ListPlace {
    QString file;
    QString failure;
    QString journal;
};

// The end-of-run box: the counts, the first few reasons, where the list is.
QString runReportText(const RunSummary &summary, const std::vector<UnreadableFolder> &unread, const ListPlace &list);

// Writes the list into the state folder and shows the box, where the run
// left something undone.
void reportRun(const RunSummary &summary);

} // namespace quorvane
