#include "engine/run/joboptions.h"

namespace quorvane {

namespace {

void appendGroup(QString &list, const QString &patterns)
{
    // The no-types mark gives way to the first group that contributes.
    if (list == NoTypesMark)
        list.clear();
    if (list.isEmpty())
        list = patterns;
    else
        list += QLatin1Char(';') + patterns;
}

} // namespace

QString BuildPatternList(const JobOptions &options)
{
    if (JobOptions::isSet(options.AllTypes))
        return QStringLiteral("*.*");
    QString list = NoTypesMark;
    if (JobOptions::isSet(options.ExeGroup))
        list = QStringLiteral("*.exe");
    if (JobOptions::isSet(options.ImageGroup))
        appendGroup(list, QStringLiteral("*.jpg;*.jpeg;*.gif;*.bmp;*.tif;*.tiff;*.wmf;*.png"));
    if (JobOptions::isSet(options.SoundGroup))
        appendGroup(list, QStringLiteral("*.mp3;*.wav;*.mid;*.mod;*.snd;*.aif;*.aiff;*.au"));
    if (JobOptions::isSet(options.VideoGroup))
        appendGroup(list, QStringLiteral("*.mpg;*.mpeg;*.avi;*.mov;*.wmv;*.asf;*.flv"));
    if (JobOptions::isSet(options.TextGroup))
        appendGroup(list, QStringLiteral("*.pdf;*.rtf;*.txt;*.doc"));
    if (JobOptions::isSet(options.UserGroup))
        appendGroup(list, options.UserPatterns);
    return list;
}

} // namespace quorvane
