#include "engine/joboptions.h"

namespace quorvane {

QString FilePatterns = QStringLiteral("*.exe");

namespace {

void appendGroup(const QString &patterns)
{
    // The no-types mark gives way to the first group that contributes.
    if (FilePatterns == NoTypesMark)
        FilePatterns.clear();
    if (FilePatterns.isEmpty())
        FilePatterns = patterns;
    else
        FilePatterns += QLatin1Char(';') + patterns;
}

} // namespace

void BuildPatternList(const JobOptions &options)
{
    FilePatterns = NoTypesMark;
    if (JobOptions::isSet(options.AllTypes)) {
        FilePatterns = QStringLiteral("*.*");
        return;
    }
    if (JobOptions::isSet(options.ExeGroup))
        FilePatterns = QStringLiteral("*.exe");
    if (JobOptions::isSet(options.ImageGroup))
        appendGroup(QStringLiteral("*.jpg;*.jpeg;*.gif;*.bmp;*.tif;*.tiff;*.wmf;*.png"));
    if (JobOptions::isSet(options.SoundGroup))
        appendGroup(QStringLiteral("*.mp3;*.wav;*.mid;*.mod;*.snd;*.aif;*.aiff;*.au"));
    if (JobOptions::isSet(options.VideoGroup))
        appendGroup(QStringLiteral("*.mpg;*.mpeg;*.avi;*.mov;*.wmv;*.asf;*.flv"));
    if (JobOptions::isSet(options.TextGroup))
        appendGroup(QStringLiteral("*.pdf;*.rtf;*.txt;*.doc"));
    if (JobOptions::isSet(options.UserGroup))
        appendGroup(options.UserPatterns);
}

} // namespace quorvane
