#include "platform/wildcard.h"

namespace quorvane::platform {

namespace {

// "*" and "?" with one back-tracking point per star: linear in practice,
// never exponential. The pattern is folded already; a "*" in the name is an
// ordinary character.
bool globMatch(QStringView pattern, QStringView name)
{
    const qsizetype np = pattern.size(), ns = name.size();
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < ns) {
        if (p < np && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < np && (pattern[p] == u'?' || pattern[p].unicode() == foldedUnitAt(name, n))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < np && pattern[p] == u'*')
        ++p;
    return p == np;
}

// Whether the n units of name from index at, folded, equal the folded units.
// Folded within the whole name: a pair may begin before at.
bool sameFolded(QStringView name, qsizetype at, const char16_t *foldedUnits, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (foldedUnitAt(name, at + i) != foldedUnits[i])
            return false;
    }
    return true;
}

Wildcard::Shape shapeOf(QStringView pattern, bool nameWithoutDot)
{
    Wildcard::Shape shape;
    shape.nameWithoutDot = nameWithoutDot;
    shape.folded = foldName(pattern);
    const QStringView tail = QStringView(shape.folded).mid(1);
    if (shape.folded.startsWith(u'*') && !hasWildcards(tail)) {
        shape.kind = Wildcard::Shape::Suffix;
        shape.folded = tail.toString();
    } else if (hasWildcards(shape.folded)) {
        shape.kind = Wildcard::Shape::Glob;
    }
    return shape;
}

bool isEverything(const Wildcard::Shape &shape)
{
    return shape.kind == Wildcard::Shape::Suffix && shape.folded.isEmpty() && !shape.nameWithoutDot;
}

bool anyShapeMatches(const std::vector<Wildcard::Shape> &shapes, QStringView name)
{
    const qsizetype size = name.size();
    for (const Wildcard::Shape &shape : shapes) {
        const auto *units = reinterpret_cast<const char16_t *>(shape.folded.constData());
        const qsizetype n = shape.folded.size();
        bool match = false;
        switch (shape.kind) {
        case Wildcard::Shape::Suffix:
            match = size >= n && sameFolded(name, size - n, units, n);
            break;
        case Wildcard::Shape::Exact:
            match = size == n && sameFolded(name, 0, units, n);
            break;
        case Wildcard::Shape::Glob:
            match = globMatch(shape.folded, name);
            break;
        }
        if (match && (!shape.nameWithoutDot || !name.contains(u'.')))
            return true;
    }
    return false;
}

} // namespace

Wildcard::Wildcard(QStringView pattern)
{
    m_shapes.push_back(shapeOf(pattern, false));
    if (pattern.endsWith(u".*"))
        m_shapes.push_back(shapeOf(pattern.chopped(2), false));
    else if (pattern.endsWith(u'.'))
        m_shapes.push_back(shapeOf(pattern.chopped(1), true));
    // "*", "*.*" and the like.
    for (const Shape &shape : m_shapes)
        m_everything = m_everything || isEverything(shape);
}

bool Wildcard::matches(QStringView name) const
{
    return m_everything || anyShapeMatches(m_shapes, name);
}

WildcardList::WildcardList(const QString &patterns)
{
    if (patterns.isEmpty())
        return;
    m_everything = false;
    for (const QStringView element : patterns.tokenize(u';')) {
        const Wildcard compiled(element);
        if (compiled.matchesEverything()) {
            m_everything = true;
            m_shapes.clear();
            return;
        }
        m_shapes.insert(m_shapes.end(), compiled.shapes().begin(), compiled.shapes().end());
    }
}

bool WildcardList::matches(QStringView name) const
{
    return m_everything || anyShapeMatches(m_shapes, name);
}

bool hasWildcards(QStringView pattern)
{
    return pattern.contains(u'*') || pattern.contains(u'?');
}

} // namespace quorvane::platform
