// The settings file: the profile text reader and writer in memory, and the
// program's reader and writer on a real file. Reading never returns more than
// 2047 characters; a value written is the value read back; writing one key
// changes no other.

#include "fuzz/check.h"
#include "platform/codepage.h"
#include "platform/headlesstoolkit.h"
#include "platform/host/hostfilesystem.h"
#include "platform/services.h"
#include "startup/profiletext.h"
#include "startup/settingsfile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>

using namespace quorvane;

namespace {

const QString Section = QStringLiteral("Brannick Quorvane");
const QString Key = QStringLiteral("UserDef");
const QString Default = QStringLiteral("*.cdr;*.scr");
const QString IniPath = QStringLiteral("T:\\Quorvane.ini");

// One scratch folder mapped as T: for the whole fuzzing process.
struct Drive {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quorvane-fuzz-XXXXXX")};
    std::unique_ptr<platform::HostFileSystem> fs;
    platform::HeadlessToolkit toolkit;
    std::unique_ptr<platform::ScopedPlatform> scope;
    QByteArray hostFile;

    Drive()
    {
        platform::DriveMap map;
        map.set(QLatin1Char('T'), QFile::encodeName(dir.path()));
        fs = std::make_unique<platform::HostFileSystem>(map);
        scope = std::make_unique<platform::ScopedPlatform>(fs.get(), &toolkit);
        hostFile = QFile::encodeName(dir.path()) + "/Quorvane.ini";
    }
};

Drive &drive()
{
    static Drive d;
    return d;
}

void writeHostFile(const QByteArray &content)
{
    const int fd = ::open(drive().hostFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, content.constData(), size_t(content.size())) == content.size());
    ::close(fd);
}

// A name as the profile format can hold one: no brackets, no "=", no
// comment marks, no line breaks, no NUL.
QByteArray nameFrom(FuzzedDataProvider &in)
{
    QByteArray name = QByteArray::fromStdString(in.ConsumeRandomLengthString(24));
    for (const char c : {'[', ']', '=', ';', '#', '\r', '\n', '\0'})
        name.replace(c, 'x');
    return name;
}

// What a reader gives back for a stored value.
QByteArray storedForm(QByteArray value)
{
    value.replace('\r', ' ').replace('\n', ' ');
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value.truncate(nul);
    return value.trimmed();
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return QString::compare(platform::fromCodePage(a.trimmed()), platform::fromCodePage(b.trimmed()),
                            Qt::CaseInsensitive)
        == 0;
}

void checkInMemory(const QByteArray &content, const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const QString sectionText = platform::fromCodePage(section);
    const QString keyText = platform::fromCodePage(key);
    const QByteArray other = "Zz9Other";
    const QByteArray otherSection = "Zz9Section";
    const auto otherBefore = findProfileValue(content, sectionText, platform::fromCodePage(other));
    const auto elsewhereBefore = findProfileValue(content, platform::fromCodePage(otherSection), keyText);

    if (const auto found = findProfileValue(content, sectionText, keyText)) {
        FUZZ_CHECK(!found->contains('\r') && !found->contains('\n') && !found->contains('\0'));
        FUZZ_CHECK(*found == found->trimmed());
    }

    const QByteArray updated = setProfileValue(content, section, key, value);
    const auto readBack = findProfileValue(updated, sectionText, keyText);
    FUZZ_CHECK(readBack.has_value());
    FUZZ_CHECK(*readBack == storedForm(value));
    if (!sameName(key, other))
        FUZZ_CHECK(findProfileValue(updated, sectionText, platform::fromCodePage(other)) == otherBefore);
    if (!sameName(section, otherSection))
        FUZZ_CHECK(findProfileValue(updated, platform::fromCodePage(otherSection), keyText) == elsewhereBefore);
    // Setting the value it now holds changes nothing.
    FUZZ_CHECK(setProfileValue(updated, section, key, value) == updated);
}

void checkOnDisk(const QByteArray &content, const QString &value)
{
    writeHostFile(content);
    const QString read = ReadIniString(Section, Key, IniPath, Default);
    FUZZ_CHECK(read.size() <= 2047);
    const auto stored = findProfileValue(content, Section.toUpper(), Key.toUpper());
    const QString expected = !stored || stored->isEmpty() ? Default : platform::fromCodePage(stored->left(2047));
    FUZZ_CHECK(read == expected);

    // Written and read back as the program stores the user's patterns.
    (void)WriteIniString(Section, Key, value, IniPath);
    const QByteArray kept = storedForm(platform::toCodePage(value)).left(2047);
    const QString again = ReadIniString(Section, Key, IniPath, Default);
    FUZZ_CHECK(again.size() <= 2047);
    FUZZ_CHECK(again == (kept.isEmpty() ? Default : platform::fromCodePage(kept)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const QByteArray section = nameFrom(in);
    const QByteArray key = nameFrom(in);
    const QByteArray value = QByteArray::fromStdString(in.ConsumeRandomLengthString(4096));
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray content = QByteArray::fromStdString(rest);

    checkInMemory(content, section, key, value);
    checkOnDisk(content, platform::fromCodePage(value));
    return 0;
}
