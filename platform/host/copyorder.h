#pragma once

#include "platform/host/descriptor.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

namespace quorvane::platform {

class StagedFile;

// How a new file is made ready in its target folder: decided by the trees
// for each folder, the same for every way a file is written there.
struct StagingChoices {
    bool folderHasNoDefaultAcl = false;
    bool stampAfterNaming = false;

    void applyTo(StagedFile &staged) const;
};

// Everything a copy writes, once its source is open, checked, and its name
// decided: what is left needs no record of the trees and may run on any
// thread.
struct CopyOrder {
    Descriptor source;
    struct stat sourceStat {};
    int folder = -1; // the target's folder, held open by the caller until done
    QByteArray name; // as it will stand in folder
    mode_t mode = 0;
    bool replace = false;
    StagingChoices staging;
    bool offTheWindowThread = false;
    struct Owner {
        uid_t user = 0;
        gid_t group = 0;
    };
    std::optional<Owner> owner; // a replaced file's, which the new one must keep
    QString display;            // the target, for messages
};

// Writes the copy where no one sees it and gives it its name once complete;
// made receives the new file's stat. A replacement reaches the disk before
// the old file goes.
Status writeCopy(const CopyOrder &order, struct stat &made);

} // namespace quorvane::platform
