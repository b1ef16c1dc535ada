#pragma once

#include <QString>

namespace quorvane {

enum CheckState : int { Unchecked = 0, Checked = 1, Grayed = 2 };

// The job as the run reads it from the main window. A check-box field counts
// as set only when Checked.
struct JobOptions {
    QString SourceDir;
    QString TargetDir = QStringLiteral("C:\\");
    int ExeGroup = Unchecked;
    int ImageGroup = Unchecked;
    int SoundGroup = Unchecked;
    int VideoGroup = Unchecked;
    int TextGroup = Unchecked;
    int UserGroup = Unchecked;
    int AllTypes = Unchecked;
    QString UserPatterns = QStringLiteral("*.cdr;*.scr");
    bool TextListing = false;
    int Recursive = Unchecked;
    int NullByte = Unchecked;
    int DeleteSources = Unchecked;
    // "Nur oberste Ebene bearbeiten": scan the source directory alone.
    int TopLevelOnly = Unchecked;
    // "Nur Verzeichnisstruktur spiegeln": image the directories, no files.
    bool StructureOnly = false;

    // Not offered by the window; read once, as the image branch starts.
    bool DryRun = false;        // decide every file as the run would, place none
    bool SkipIdentical = false; // a file already in the target with the same bytes is not imaged again
    QString JournalFile;        // drive path of a new journal of every placement; empty: none
    bool JournalMoves = false;  // a run that moves keeps its journal in the user's state folder

    static bool isSet(int state) { return state == Checked; }
};

// "*.zzz" marks a job without file types.
inline const QString NoTypesMark = QStringLiteral("*.zzz");
// The pattern list a run starts with before its first job.
inline const QString FirstPatterns = QStringLiteral("*.exe");

// The ";"-separated patterns of the groups the job ticks, in their order.
QString BuildPatternList(const JobOptions &options);

} // namespace quorvane
