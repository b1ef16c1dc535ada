// Drive paths as the program parses them, and the map of drive letters to
// host folders as QUORVANE_DRIVES gives it. A parsed path printed and parsed
// again is the same path; a parsed map printed and parsed again is the same map.

#include "fuzz/check.h"
#include "platform/drivemap.h"
#include "platform/drivepath.h"

#include <cstddef>
#include <cstdint>

using namespace quorvane::platform;

namespace {

bool sameMap(const DriveMap &a, const DriveMap &b)
{
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        if (a.hostFolder(QChar(c)) != b.hostFolder(QChar(c)))
            return false;
    }
    return true;
}

// "D=/folder/;..." with a "/" after each folder, so that a folder ending in
// a blank keeps it.
QByteArray printed(const DriveMap &map)
{
    QByteArray out;
    for (const QChar letter : map.letters()) {
        const QByteArray folder = map.hostFolder(letter);
        out += char(letter.unicode()) + QByteArray("=") + folder + (folder == "/" ? "" : "/") + ';';
    }
    return out;
}

void checkMap(const QByteArray &text)
{
    const DriveMap map = DriveMap::parse(text);
    for (const QChar letter : map.letters()) {
        const QByteArray folder = map.hostFolder(letter);
        FUZZ_CHECK(folder.startsWith('/'));
        FUZZ_CHECK(folder == "/" || !folder.endsWith('/'));
        FUZZ_CHECK(!folder.contains(';'));
        // Storing a folder the map holds changes nothing.
        DriveMap again = map;
        again.set(letter, folder);
        FUZZ_CHECK(again.hostFolder(letter) == folder);
        // The folder itself lies on a drive with that very folder.
        QByteArray rest = "unset";
        const QChar found = map.driveOf(folder, &rest);
        FUZZ_CHECK(!found.isNull() && map.hostFolder(found) == folder && rest.isEmpty());
    }
    FUZZ_CHECK(sameMap(DriveMap::parse(printed(map)), map));

    // Any absolute host path: the drive that holds it is the longest folder
    // that is a prefix by whole components, and the rest joins back to it.
    const QByteArray path = '/' + text;
    QByteArray rest;
    const QChar drive = map.driveOf(path, &rest);
    if (drive.isNull())
        return;
    const QByteArray folder = map.hostFolder(drive);
    FUZZ_CHECK(path.startsWith(folder));
    FUZZ_CHECK(!rest.startsWith('/'));
    FUZZ_CHECK(path.endsWith(rest));
    const QByteArray between = path.mid(folder.size(), path.size() - folder.size() - rest.size());
    FUZZ_CHECK(between.count('/') == between.size());
    FUZZ_CHECK(folder == "/" || rest.isEmpty() || !between.isEmpty());
}

void checkPath(const QString &path, QChar currentDrive)
{
    CurrentDirectories current;
    current[2] = QStringList{QStringLiteral("Users"), QStringLiteral("anna")};
    current[driveIndex(currentDrive)] = QStringList{QStringLiteral("cur"), QStringLiteral("dir")};
    const DrivePath parsed = makeAbsolute(path, currentDrive, current);
    FUZZ_CHECK(driveIndex(parsed.drive) >= 0 && parsed.drive.isUpper());
    for (const QString &c : parsed.components) {
        FUZZ_CHECK(!c.isEmpty() && c != u"." && c != u"..");
        FUZZ_CHECK(!c.contains(QLatin1Char('\\')) && !c.contains(QLatin1Char('/')));
    }
    const QString text = parsed.toString();
    FUZZ_CHECK(driveLetterOf(text) == parsed.drive);
    // Printed, the path is absolute: another current drive or directory
    // does not change what it names.
    const DrivePath again = makeAbsolute(text, QLatin1Char('Q'), CurrentDirectories{});
    if (again.drive != parsed.drive || again.components != parsed.components) {
        fuzz::show("path", path);
        fuzz::show("printed", text);
        fuzz::show("again", again.toString());
    }
    FUZZ_CHECK(again.drive == parsed.drive && again.components == parsed.components);
    FUZZ_CHECK(again.toString() == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    checkMap(bytes);
    checkPath(QString::fromUtf8(bytes), QChar(char16_t(u'A' + data[0] % 26)));
    checkPath(fuzz::unitsOf(bytes), QChar(char16_t(u'A' + data[0] % 26)));
    return 0;
}
