#pragma once

#include <QString>

#include <vector>

namespace quorvane {

// A ";"-separated list of wildcard patterns, compiled once and matched
// against many names: "*" any run, "?" any one character, letter case
// ignored, "*.*" (and "*") every name. Elements are used as written, blanks
// and empty elements included; an empty list as a whole admits every name.
class NamePatternSet {
public:
    NamePatternSet() = default;
    explicit NamePatternSet(const QString &patterns);

    bool matches(const QString &name) const;
    bool matchesEverything() const { return m_all; }

private:
    struct Pattern {
        enum Kind { Suffix, Exact, Wildcard } kind;
        QString folded; // the pattern, case-folded; for Suffix only the tail after "*"
    };

    bool m_all = true;
    std::vector<Pattern> m_patterns;
};

// One UTF-16 unit case-folded, as names and list entries compare.
inline char16_t foldNameUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

} // namespace quorvane
