#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace quorvane {

// The names of the flat image's target directory, kept in memory so that the
// search for a free clash name does not ask the disk for every candidate.
// Filled once from a listing of the target; names placed by the run are added.
// Every name in the directory counts as taken, whatever it is (file,
// directory, link), and a candidate that looks free is confirmed on the disk
// before it is given out, so a name taken meanwhile is not reused.
class FlatTargetNames {
public:
    // onDisk: whether something stands under a name now, in any letter case.
    FlatTargetNames(const QStringList &listed, std::function<bool(const QString &)> onDisk);

    // name itself when free, else base[k].suffix for the first free k from 1
    // to 999; an empty string when all of them are taken.
    QString freeTargetName(const QString &name);
    // The run has placed a file under this name.
    void markTaken(const QString &name);
    // A name given out for a file of family (the name asked for) that was
    // not placed after all: free again, unless something stands there.
    void release(const QString &name, const QString &family);
    // The names of name's family that are taken: name itself and each
    // base[k].suffix, in that order.
    QStringList takenFamily(const QString &name);

private:
    bool taken(const QString &name);

    std::function<bool(const QString &)> m_onDisk;
    QSet<QString> m_names;                 // case-folded
    QHash<QString, int> m_lowestMaybeFree; // per base and suffix: numbers below are taken
};

// Splits a flat name before its last ".": the suffix holds the dot and what
// follows, or nothing when the name has no dot.
void splitClashName(const QString &name, QString &base, QString &suffix);

} // namespace quorvane
