#pragma once

#include "platform/namefold.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace quorvane::platform {

// One wildcard pattern, compiled once and matched against many names, as the
// platform the program was made for matches: "*" any run of characters, "?"
// any one, letter case ignored; a pattern ending in ".*" also matches the
// name without extension ("a.*" matches "a", so "*.*" matches every name),
// one ending in a lone "." matches names without a dot ("*." matches
// "readme"). Every other character, blanks included, stands for itself.
class Wildcard {
public:
    explicit Wildcard(QStringView pattern);

    bool matches(QStringView name) const;
    bool matchesEverything() const { return m_everything; }

    // A pattern in the shape that matches it fastest; a list matches its
    // elements' shapes in one loop.
    struct Shape {
        enum Kind : quint8 { Exact, Suffix, Glob } kind = Exact;
        bool nameWithoutDot = false; // applies to names without a "." only
        QString folded;              // for Suffix only the tail after the leading "*"
    };
    const std::vector<Shape> &shapes() const { return m_shapes; }

private:
    std::vector<Shape> m_shapes; // the pattern, then the pattern without its ".*" or "."
    bool m_everything = false;
};

// A ";"-separated list of patterns: a name matches when one element does.
// Elements are used as written, blanks and empty elements included (an
// empty element matches no name); an empty list as a whole admits every name.
class WildcardList {
public:
    WildcardList() = default;
    explicit WildcardList(const QString &patterns);

    bool matches(QStringView name) const;
    bool matchesEverything() const { return m_everything; }

private:
    bool m_everything = true;
    std::vector<Wildcard::Shape> m_shapes;
};

// True when the pattern holds "*" or "?".
bool hasWildcards(QStringView pattern);

} // namespace quorvane::platform
