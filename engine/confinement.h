#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace quorvane {

// Where an image run may touch the disk. What it reads, moves or removes must
// lie below the source base, what it writes below the target base. Decided
// right before each operation on the places the paths lead to on the disk
// (links in their folders followed), whole component by whole component, so
// that no name, no link and no overlap of the two trees takes a run anywhere
// else. Where the disk cannot say, the answer is no.
//
// Besides, a copy or a dummy never replaces a file of the run's own source,
// nor a file the run itself has written (two source names that differ only
// in letter case lead to one target file).
class RunBounds {
public:
    RunBounds(const QString &sourceBase, const QString &targetBase); // both end in "\"

    // The run's source files: scanBase + entry for each entry (scanBase ends in "\").
    void addSources(const QString &scanBase, const QStringList &entries);

    // Each answer that is no leaves its reason in refusal().
    bool mayRead(const QString &source); // for a copy: through a link as well
    bool mayTake(const QString &source); // for a move: the entry itself
    // For a copy or a dummy; place receives where the file lands, for written().
    bool mayWrite(const QString &target, QString &place);
    bool mayMoveTo(const QString &target);
    // For a file the run compares with: it and what it leads to lie in the target.
    bool mayCompareWith(const QString &target);
    bool mayMakeFolder(const QString &folder);   // the target base itself or below
    bool mayRemoveFolder(const QString &folder); // strictly below the source base
    void written(const QString &place) { m_written.insert(place); }
    // A file written below the target base at this relative drive path,
    // through a folder handle already known to lie there.
    void writtenBelowTarget(const QString &relative);
    const QString &refusal() const { return m_refusal; }

    // Where the two bases lie; empty where the disk could not say.
    const QString &sourceLocation() const { return m_source; }
    const QString &targetLocation() const { return m_target; }

    // The source file lies directly in the target base: a flat image finds it in place.
    bool inTargetFolder(const QString &source);

private:
    QString m_source; // locations, see FileSystem::location
    QString m_target;
    QSet<QString> m_sources;
    QSet<QString> m_written;
    QString m_sourceStart;        // location of the scan's start
    QStringList m_pendingSources; // relative to it, not yet in m_sources
    QStringList m_pendingWritten; // relative to the target, not yet in m_written
    QString m_refusal;

    void settle();
    bool refuse(const QString &why);
    bool below(const QString &place, const QString &base, const QString &outside, bool orSame = false);
};

// Whether place lies below base (or is base, with orSame), both locations
// with "/" between names, compared name by name.
bool liesBelow(const QString &place, const QString &base, bool orSame = false);

// The location of path, or an empty string where the disk cannot say.
QString locationOf(const QString &path, bool followLast);

} // namespace quorvane
