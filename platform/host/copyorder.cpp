#include "platform/host/copyorder.h"

#include "platform/host/stagedfile.h"

namespace quorvane::platform {

void StagingChoices::applyTo(StagedFile &staged) const
{
    if (folderHasNoDefaultAcl)
        staged.folderHasNoDefaultAcl();
    if (stampAfterNaming)
        staged.stampAfterNaming();
}

Status writeCopy(const CopyOrder &order, struct stat &made)
{
    StagedFile staged;
    if (order.offTheWindowThread)
        staged.offTheWindowThread();
    Status result = staged.createIn(order.folder, order.name, order.mode, order.display);
    order.staging.applyTo(staged);
    if (result.ok() && order.sourceStat.st_size > 0)
        result = staged.appendWhole(order.source.get(), order.sourceStat);
    if (result.ok())
        result = staged.keepMetadataOf(order.source.get());
    if (!result.ok())
        return result;
    staged.setTimes(order.sourceStat.st_atim, order.sourceStat.st_mtim);
    if (order.owner)
        staged.setOwner(order.owner->user, order.owner->group, true);
    // A new copy beside its untouched source loses nothing without a sync;
    // a replacement must be on the disk before the old file goes.
    return staged.commit(order.replace, order.replace, &made);
}

} // namespace quorvane::platform
