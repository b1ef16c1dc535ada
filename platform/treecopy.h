#pragma once

#include "result.h"

#include <QString>

namespace quorvane::platform {

// Copies the many new files of an image from one tree into another through
// folder handles it holds open: per file one open and one look at the
// source, an unnamed new file, the bytes, its time and its name, and
// nothing else. No name is looked up without regard to case (the names come
// from the scan and are exact), no path is walked again.
//
// Every folder handle is opened below the handle of its tree without
// passing a link, and every source file without following one, so that
// whatever is copied lies inside the source tree and whatever is written
// inside the target tree. What this cannot settle so simply, it leaves to
// the caller's careful way (see copyNew).
class TreeCopy {
public:
    virtual ~TreeCopy() = default;

    // Where the trees lie, as FileSystem::location gives them. The caller
    // uses the object only where these are the places it has checked.
    virtual QString sourceLocation() const = 0;
    virtual QString targetLocation() const = 0;

    enum class Outcome {
        Copied,     // the new file is in place, complete
        NotHandled, // nothing changed; the careful way decides
        Failed,     // nothing changed; failure says why
    };

    // Copies source base + source to target base + target (both relative
    // drive paths, names exactly as stored) as a new file. NotHandled where
    // any name in the target folder already matches in any letter case, the
    // source is a link or not a regular file, a folder on the way is missing
    // or is a link, or the name was taken meanwhile.
    virtual Outcome copyNew(const QString &source, const QString &target, Status &failure) = 0;
};

} // namespace quorvane::platform
