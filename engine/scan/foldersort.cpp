#include "engine/scan/foldersort.h"

#include "platform/namefold.h"

#include <algorithm>
#include <vector>

namespace quorvane {

namespace {

struct Folder {
    qsizetype begin;
    qsizetype end;
    TextSpan path; // the prefix its texts share
};

// A folder whose names are not all woven in yet.
struct OpenFolder {
    const Folder *folder;
    qsizetype next;
};

bool startsExactly(const TextSpan &text, const TextSpan &prefix)
{
    return text.size >= prefix.size && std::equal(prefix.data, prefix.data + prefix.size, text.data);
}

bool sameText(const TextSpan &a, const TextSpan &b)
{
    return a.size == b.size && startsExactly(a, b);
}

// Whether the name at index i of the folder goes before the texts below
// the folder at path (the folder's path followed by more).
bool nameGoesBefore(const TextSpan *texts, const OpenFolder &open, const TextSpan &path)
{
    const TextSpan &name = texts[open.next];
    const qsizetype skip = open.folder->path.size;
    return compareListUnits(name.data + skip, name.size - skip, path.data + skip, path.size - skip) < 0;
}

void sortNames(TextSpan *texts, const Folder &folder)
{
    const qsizetype skip = folder.path.size;
    std::sort(texts + folder.begin, texts + folder.end, [skip](const TextSpan &x, const TextSpan &y) {
        return compareListUnits(x.data + skip, x.size - skip, y.data + skip, y.size - skip) < 0;
    });
}

// False, leaving the texts unsorted, where the folders do not allow it.
bool weaveFolders(TextSpan *texts, qsizetype n, const FolderRun *runs, std::size_t runCount)
{
    std::vector<Folder> folders(runCount);
    std::vector<TextSpan> paths(runCount);
    std::vector<qsizetype> order(runCount);
    for (std::size_t i = 0; i < runCount; ++i) {
        const qsizetype end = i + 1 < runCount ? runs[i + 1].first : n;
        folders[i] = {runs[i].first, end, TextSpan{texts[runs[i].first].data, runs[i].prefix}};
        paths[i] = folders[i].path;
        order[i] = qsizetype(i);
    }
    sortListSpans(paths.data(), paths.data() + paths.size(), order.data());
    for (std::size_t i = 1; i < runCount; ++i) {
        // One folder in two runs: its names would have to be merged first.
        if (sameText(paths[i - 1], paths[i]))
            return false;
    }
    std::vector<TextSpan> woven;
    woven.reserve(std::size_t(n));
    std::vector<OpenFolder> open;
    const auto closeLast = [&] {
        const OpenFolder &last = open.back();
        woven.insert(woven.end(), texts + last.next, texts + last.folder->end);
        open.pop_back();
    };
    for (std::size_t k = 0; k < runCount; ++k) {
        const Folder &folder = folders[std::size_t(order[k])];
        while (!open.empty() && !startsExactly(folder.path, open.back().folder->path)) {
            const TextSpan &above = open.back().folder->path;
            if (platform::startsWithName(QStringView(folder.path.data, folder.path.size),
                                         QStringView(above.data, above.size)))
                return false; // below a folder that is this one but for letter case
            closeLast();
        }
        if (!open.empty()) {
            OpenFolder &above = open.back();
            while (above.next < above.folder->end && nameGoesBefore(texts, above, folder.path))
                woven.push_back(texts[above.next++]);
        }
        sortNames(texts, folder);
        open.push_back({&folder, folder.begin});
    }
    while (!open.empty())
        closeLast();
    std::copy(woven.begin(), woven.end(), texts);
    return true;
}

} // namespace

qsizetype folderPrefixSize(const char16_t *text, qsizetype size)
{
    for (qsizetype i = size; i > 0; --i) {
        if (text[i - 1] == u'\\')
            return i;
    }
    return 0;
}

void sortListSpansByFolder(TextSpan *first, TextSpan *last, const FolderRun *runs, std::size_t runCount)
{
    const qsizetype n = last - first;
    // Folders of a text or two gain nothing over sorting the whole paths.
    constexpr qsizetype FewestTextsPerFolder = 4;
    if (runCount == 0 || n < FewestTextsPerFolder * qsizetype(runCount) || !weaveFolders(first, n, runs, runCount))
        sortListSpans(first, last);
}

} // namespace quorvane
