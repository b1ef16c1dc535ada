#include "engine/scan/stringlist.h"

#include <algorithm>
#include <system_error>

namespace quorvane {

namespace {

inline const char16_t *unitsOf(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.constData());
}

} // namespace

int compareListText(const QString &a, const QString &b)
{
    return compareListUnits(unitsOf(a), a.size(), unitsOf(b), b.size());
}

ListStore::ListStore(bool sorted) : m_sorted(sorted) {}

void ListStore::BlockRelease::operator()(char16_t *block) const
{
    platform::LargeAllocator<char16_t>().deallocate(block, size_t(units));
}

namespace {

// The runs of the spans from index from on, counted from there.
std::vector<FolderRun> runsFrom(const std::vector<FolderRun> &runs, qsizetype from)
{
    std::vector<FolderRun> out(runs);
    for (FolderRun &run : out)
        run.first -= from;
    return out;
}

// A short list stays small; a long one takes its texts in large pages.
constexpr qsizetype FirstBlockUnits = qsizetype(1) << 15; // 64 KiB
constexpr qsizetype BlockUnits = qsizetype(platform::LargePageBytes / sizeof(char16_t));
constexpr qsizetype ChunkSpans = 16384;

} // namespace

void ListStore::clear()
{
    m_chunks.clear(); // waits for the helpers, which read the blocks
    m_handedOff = 0;
    m_blocks.clear();
    m_blockUsed = 0;
    m_blockSize = 0;
    m_spans.clear();
    m_spans.shrink_to_fit();
    m_settled = 0;
    m_runs.clear();
}

char16_t *ListStore::reserveUnits(qsizetype size)
{
    if (m_blocks.empty() || m_blockSize - m_blockUsed < size) {
        m_blockSize = std::max(m_blocks.empty() ? FirstBlockUnits : BlockUnits, size);
        char16_t *block = platform::LargeAllocator<char16_t>().allocate(size_t(m_blockSize));
        m_blocks.emplace_back(block, BlockRelease{m_blockSize});
        m_blockUsed = 0;
    }
    char16_t *at = m_blocks.back().get() + m_blockUsed;
    m_blockUsed += size;
    // Only texts already written go to a helper: the one reserved here is
    // written by the caller after this returns.
    if (m_sorted && qsizetype(m_spans.size()) - m_handedOff >= ChunkSpans)
        handOffChunk();
    m_spans.push_back(TextSpan{at, size});
    if (!m_sorted)
        m_settled = m_handedOff = qsizetype(m_spans.size());
    return at;
}

void ListStore::handOffChunk()
{
    // The chunk's texts are written already and the blocks never move, so
    // the helper reads them while this thread adds more.
    SortedChunk chunk;
    chunk.spans.assign(m_spans.begin() + m_handedOff, m_spans.end());
    chunk.runs = runsFrom(m_runs, m_handedOff);
    TextSpan *first = chunk.spans.data();
    TextSpan *last = first + chunk.spans.size();
    const FolderRun *runs = chunk.runs.data();
    const std::size_t runCount = chunk.runs.size();
    try {
        chunk.done = std::async(std::launch::async,
                                [first, last, runs, runCount] { sortListSpansByFolder(first, last, runs, runCount); });
    } catch (const std::system_error &) {
        return; // no thread to be had: the next read sorts these too
    }
    m_chunks.push_back(std::move(chunk));
    m_handedOff = qsizetype(m_spans.size());
    m_runs.clear();
}

void ListStore::noteFolderRun()
{
    if (!m_sorted)
        return;
    const TextSpan &text = m_spans.back();
    const qsizetype prefix = folderPrefixSize(text.data, text.size);
    if (!m_runs.empty()) {
        const FolderRun &run = m_runs.back();
        const char16_t *runText = m_spans[size_t(run.first)].data;
        if (run.prefix == prefix && std::equal(text.data, text.data + prefix, runText))
            return;
    }
    m_runs.push_back({qsizetype(m_spans.size()) - 1, prefix});
}

void ListStore::addItem(QStringView text)
{
    std::copy_n(text.utf16(), text.size(), reserveUnits(text.size()));
    noteFolderRun();
}

void ListStore::addJoined(const QString &head, QStringView tail)
{
    char16_t *at = reserveUnits(head.size() + tail.size());
    std::copy_n(tail.utf16(), tail.size(), std::copy_n(unitsOf(head), head.size(), at));
    noteFolderRun();
}

qsizetype ListStore::count() const
{
    return qsizetype(m_spans.size());
}

QString ListStore::item(qsizetype index) const
{
    if (index < 0 || index >= qsizetype(m_spans.size()))
        return {};
    settle();
    const TextSpan span = m_spans[size_t(index)];
    return QString(reinterpret_cast<const QChar *>(span.data), span.size);
}

QStringView ListStore::itemView(qsizetype index) const
{
    if (index < 0 || index >= qsizetype(m_spans.size()))
        return {};
    settle();
    const TextSpan span = m_spans[size_t(index)];
    return QStringView(span.data, span.size);
}

void ListStore::settle() const
{
    const qsizetype total = qsizetype(m_spans.size());
    if (m_settled >= total)
        return;
    const std::vector<FolderRun> runs = runsFrom(m_runs, m_handedOff);
    m_runs.clear();
    if (m_chunks.empty()) {
        sortListSpansByFolder(m_spans.data() + m_settled, m_spans.data() + total, runs.data(), runs.size());
        if (m_settled > 0) {
            std::inplace_merge(m_spans.begin(), m_spans.begin() + m_settled, m_spans.end(),
                               [](const TextSpan &x, const TextSpan &y) {
                                   return compareListUnits(x.data, x.size, y.data, y.size) < 0;
                               });
        }
        m_settled = m_handedOff = total;
        return;
    }
    std::vector<SpanVector> sorted;
    sorted.reserve(m_chunks.size() + 2);
    if (m_settled > 0)
        sorted.emplace_back(m_spans.begin(), m_spans.begin() + m_settled);
    for (SortedChunk &chunk : m_chunks) {
        chunk.done.wait();
        sorted.push_back(std::move(chunk.spans));
    }
    m_chunks.clear();
    sorted.emplace_back(m_spans.begin() + m_handedOff, m_spans.end());
    sortListSpansByFolder(sorted.back().data(), sorted.back().data() + sorted.back().size(), runs.data(), runs.size());
    mergeListRuns(sorted, m_spans);
    m_settled = m_handedOff = total;
}

void StringList::clear()
{
    // A copy still reading the texts keeps them; this list starts afresh.
    if (m_store.use_count() > 1)
        m_store = std::make_shared<ListStore>(m_store->sorted());
    else
        m_store->clear();
}

StringList StringList::shared() const
{
    m_store->settle();
    return *this;
}

ListStore &StringList::writable()
{
    if (m_store.use_count() > 1) {
        auto own = std::make_shared<ListStore>(m_store->sorted());
        const qsizetype n = m_store->count();
        for (qsizetype i = 0; i < n; ++i)
            own->addItem(m_store->item(i));
        m_store = std::move(own);
    }
    return *m_store;
}

} // namespace quorvane
