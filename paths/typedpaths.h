#pragma once

#include "paths/pathcontainment.h"

#include <QString>

#include <optional>

namespace quorvane {

// A path text with its separator and its rule for names; the two kinds of
// path the program deals in are made from it below, so that one kind is
// never taken for the other and containment is decided in one place.
template <char Separator, NameCase Names>
class TypedPath {
public:
    TypedPath() = default;
    // Trailing separators are dropped but at a root ("C:\", "/").
    explicit TypedPath(QString text) : m_text(std::move(text))
    {
        while (m_text.size() > rootLength() && m_text.endsWith(separator()))
            m_text.chop(1);
    }

    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }

    // Whether this path lies below base (or is base, with orSame), name by name.
    bool isChildOf(const TypedPath &base, bool orSame = false) const
    {
        const qsizetype start = belowStart(m_text, base.m_text, separator(), Names);
        return start >= 0 && (start < m_text.size() || orSame);
    }
    // The part below base ("" for base itself); none when it is not below base.
    std::optional<QString> relativeTo(const TypedPath &base) const
    {
        const qsizetype start = belowStart(m_text, base.m_text, separator(), Names);
        if (start < 0)
            return std::nullopt;
        return m_text.mid(start);
    }
    // A path below this one; relative is made of names and separators.
    TypedPath child(QStringView relative) const { return TypedPath(withSeparator() + relative); }
    // The text with one separator at its end, ready to take a name after it.
    QString withSeparator() const { return m_text.endsWith(separator()) ? m_text : m_text + separator(); }

    static QChar separator() { return QLatin1Char(Separator); }

private:
    // "C:\" keeps its "\", "/" its "/".
    qsizetype rootLength() const
    {
        if (Separator == '\\')
            return m_text.size() >= 3 && m_text.at(1) == QLatin1Char(':') ? 3 : 0;
        return 1;
    }

    QString m_text;
};

// A path as the program names it: a drive letter, "\" between names, letter
// case ignored as the drives ignore it ("D:\Daten\a.txt"). Relative entries
// of a run ("sub\a.txt") are of this kind too.
using WinPath = TypedPath<'\\', NameCase::Ignored>;

// A path as the host names it: "/" between names compared exactly, as they
// are given to the system.
using HostPath = TypedPath<'/', NameCase::Exact>;

} // namespace quorvane
