#include "startup/profiletext.h"

#include "platform/codepage.h"

#include <QByteArrayView>

#include <vector>

namespace quorvane {

namespace {

struct Line {
    qsizetype start = 0;  // first byte of the content
    qsizetype length = 0; // content without the line break
    qsizetype breakLength = 0;
};

std::vector<Line> splitLines(const QByteArray &content)
{
    std::vector<Line> lines;
    const qsizetype size = content.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && content.at(end) != '\n' && content.at(end) != '\r')
            ++end;
        Line line{start, end - start, 0};
        if (end < size) {
            line.breakLength = (content.at(end) == '\r' && end + 1 < size && content.at(end + 1) == '\n') ? 2 : 1;
        }
        lines.push_back(line);
        start = end + line.breakLength;
    }
    return lines;
}

QByteArrayView contentOf(const QByteArray &content, const Line &line)
{
    return QByteArrayView(content).sliced(line.start, line.length);
}

// The blanks that do not count around a name in the file (those of
// QByteArrayView::trimmed; QString::trimmed would also take U+00A0).
bool isBlank(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

QStringView withoutBlanks(QStringView name)
{
    while (!name.isEmpty() && isBlank(name.front().unicode()))
        name = name.sliced(1);
    while (!name.isEmpty() && isBlank(name.back().unicode()))
        name.chop(1);
    return name;
}

// Blanks around the wanted name do not count either: a name written with
// them must be found again, or every write would add another section.
bool namesMatch(QByteArrayView stored, const QString &wanted)
{
    return QString::compare(platform::fromCodePage(stored.trimmed().toByteArray()), withoutBlanks(wanted),
                            Qt::CaseInsensitive)
        == 0;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<QByteArrayView> sectionName(QByteArrayView text)
{
    text = text.trimmed();
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    const qsizetype end = close < 0 ? text.size() : close;
    return text.sliced(1, end - 1);
}

bool isComment(QByteArrayView text)
{
    text = text.trimmed();
    return text.startsWith(';') || text.startsWith('#');
}

// Index of the line that holds key under a section called section, or -1.
// sectionStart receives the index of the first matching header line (-1 when
// there is none) and sectionEnd the line after that section's last line.
qsizetype findKeyLine(const QByteArray &content, const std::vector<Line> &lines, const QString &section,
                      const QString &key, qsizetype *sectionStart = nullptr, qsizetype *sectionEnd = nullptr)
{
    bool inSection = false;
    qsizetype first = -1;
    qsizetype firstEnd = -1;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QByteArrayView text = contentOf(content, lines[i]);
        if (const auto name = sectionName(text)) {
            if (inSection && first >= 0 && firstEnd < 0)
                firstEnd = i;
            inSection = namesMatch(*name, section);
            if (inSection && first < 0)
                first = i;
            continue;
        }
        if (!inSection || isComment(text))
            continue;
        const qsizetype equals = text.indexOf('=');
        if (equals < 0 || !namesMatch(text.first(equals), key))
            continue;
        if (sectionStart)
            *sectionStart = first;
        if (sectionEnd)
            *sectionEnd = firstEnd;
        return i;
    }
    if (first >= 0 && firstEnd < 0)
        firstEnd = qsizetype(lines.size());
    if (sectionStart)
        *sectionStart = first;
    if (sectionEnd)
        *sectionEnd = firstEnd;
    return -1;
}

QByteArray oneLine(QByteArray text)
{
    text.replace('\r', ' ');
    text.replace('\n', ' ');
    return text;
}

} // namespace

std::optional<QByteArray> findProfileValue(const QByteArray &content, const QString &section, const QString &key)
{
    const std::vector<Line> lines = splitLines(content);
    const qsizetype index = findKeyLine(content, lines, section, key);
    if (index < 0)
        return std::nullopt;
    const QByteArrayView text = contentOf(content, lines[index]);
    QByteArrayView value = text.sliced(text.indexOf('=') + 1);
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value.truncate(nul);
    return value.trimmed().toByteArray();
}

QByteArray setProfileValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                           const QByteArray &value)
{
    const QByteArray sectionLine = '[' + oneLine(section) + ']';
    const QByteArray keyLine = oneLine(key) + '=' + oneLine(value);
    const QByteArray crLf("\r\n");

    const std::vector<Line> lines = splitLines(content);
    qsizetype sectionStart = -1;
    qsizetype sectionEnd = -1;
    const qsizetype index = findKeyLine(content, lines, platform::fromCodePage(oneLine(section)),
                                        platform::fromCodePage(oneLine(key)), &sectionStart, &sectionEnd);

    QByteArray result = content;
    if (index >= 0) {
        result.replace(lines[index].start, lines[index].length, keyLine);
        return result;
    }

    if (sectionStart < 0) {
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
            result.append(crLf);
        result.append(sectionLine + crLf + keyLine + crLf);
        return result;
    }

    // After the section's last line that is not blank, so that the blank
    // lines that set sections apart stay in front of the next header.
    qsizetype last = sectionEnd - 1;
    while (last > sectionStart && contentOf(content, lines[last]).trimmed().isEmpty())
        --last;
    const Line &after = lines[last];
    if (after.breakLength == 0) {
        result.append(crLf + keyLine + crLf);
        return result;
    }
    result.insert(after.start + after.length + after.breakLength, keyLine + crLf);
    return result;
}

} // namespace quorvane
