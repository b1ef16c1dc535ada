#include "engine/journal/journalreading.h"

#include <QHash>

namespace quorvane {

namespace {

UndoFailure lineFailure(qsizetype index, const QString &reason)
{
    return {QStringLiteral("Zeile %1").arg(index + 1), reason};
}

// Takes the lines after the header, each placement's intent and its end.
class Reader {
public:
    explicit Reader(JournalReading &reading) : m_reading(reading) {}

    void take(qsizetype index, const JournalLine &line)
    {
        if (const auto *intent = std::get_if<JournalIntent>(&line))
            return announce(index, *intent);
        if (const auto *done = std::get_if<JournalDone>(&line))
            return close(index, done->number, [&](JournalPlacement &placement) { placement.done = *done; });
        if (const auto *failed = std::get_if<JournalFailed>(&line))
            return close(index, failed->number, [](JournalPlacement &placement) { placement.failed = true; });
        refuse(index, QStringLiteral("Eine zweite Kopfzeile; was sie nennt, bleibt, wie es ist"));
    }

    void refuse(qsizetype index, const QString &reason) { m_reading.unreadable.append(lineFailure(index, reason)); }

private:
    void announce(qsizetype index, const JournalIntent &intent)
    {
        if (m_placements.contains(intent.number))
            return refuse(
                index,
                QStringLiteral("Die Nummer %1 ist schon vergeben; die Zeile bleibt unbeachtet").arg(intent.number));
        m_placements.insert(intent.number, m_reading.placements.size());
        m_reading.placements.append({intent, std::nullopt, false});
    }

    template <typename Closing>
    void close(qsizetype index, qint64 number, Closing closing)
    {
        const auto at = m_placements.constFind(number);
        if (at == m_placements.constEnd())
            return refuse(index, QStringLiteral("Nennt keine angekündigte Abbildung; bleibt unbeachtet"));
        JournalPlacement &placement = m_reading.placements[*at];
        if (placement.done || placement.failed)
            return refuse(
                index,
                QStringLiteral("Die Abbildung %1 ist schon abgeschlossen; die Zeile bleibt unbeachtet").arg(number));
        closing(placement);
    }

    JournalReading &m_reading;
    QHash<qint64, qsizetype> m_placements; // intent number -> index
};

} // namespace

JournalReading readJournal(const QByteArray &content)
{
    JournalReading reading;
    Reader reader(reading);
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed().isEmpty())
            continue;
        const std::optional<JournalLine> line = parseJournalLine(lines.at(i));
        if (!reading.header) {
            // The first line decides whether this is a journal undo can trust at all.
            if (line && std::holds_alternative<JournalHeader>(*line))
                reading.header = std::get<JournalHeader>(*line);
            else
                return reading;
            continue;
        }
        if (line)
            reader.take(i, *line);
        else
            reader.refuse(i, QStringLiteral("Lässt sich nicht lesen; was sie nennt, bleibt, wie es ist"));
    }
    return reading;
}

} // namespace quorvane
