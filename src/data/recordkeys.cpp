#include "recordkeys.h"

#include "engine.h"
#include "sortedkeys.h"

#include <algorithm>

namespace {

// Enough rows at each end for a grid page and its neighbours; a set no larger
// than twice this is read whole.
constexpr int EdgeRows = 64;
// The middle is read in chunks of this many keys, and a few are kept: the
// grid's page, the pages either side, and the places the scroll bar went to.
constexpr int MiddleChunk = 4096;
constexpr int MiddleChunks = 8;
// Each computed key steps over the gaps below it; past this many the middle
// is counted instead.
constexpr int MaxGaps = 65536;

} // namespace

RecordKeys::RecordKeys(ErrorSink onError)
    : m_onError(std::move(onError))
{
}

RecordKeys::~RecordKeys() = default;

bool RecordKeys::fail(const DataError &error)
{
    if (m_onError)
        m_onError(error);
    return false;
}

void RecordKeys::clear()
{
    m_order.reset();
    m_sorted.reset();
    m_head.clear();
    m_tail.clear();
    m_added.clear();
    m_addedSet.clear();
    m_middleCount = 0;
    m_headBound = 0;
    m_tailBound = 0;
    m_chunks.clear();
    m_dense = false;
    m_deletedMiddle.clear();
    m_pinned = -1;
    m_pinnedKey.reset();
}

bool RecordKeys::readKeys(const KeyRange &range, QList<qint64> *keys)
{
    DataError error;
    return m_engine->keys(range, keys, &error) || fail(error);
}

bool RecordKeys::load()
{
    clear();
    DataError error;
    // One read, so the count and both ends come from the same snapshot.
    if (!m_engine || !m_engine->beginRead(&error))
        return fail(error);
    qint64 count = 0;
    bool ok = m_engine->count(&count, &error) || fail(error);
    if (ok && count <= 2 * EdgeRows) {
        ok = readKeys({}, &m_head);
    } else if (ok) {
        ok = readKeys({.limit = EdgeRows}, &m_head)
             && readKeys({.descending = true, .limit = EdgeRows}, &m_tail);
        std::reverse(m_tail.begin(), m_tail.end());
        m_headBound = m_head.value(m_head.size() - 1);
        m_tailBound = m_tail.value(0);
        m_middleCount = count - m_head.size() - m_tail.size();
        // Distinct keys, as many as the places between the bounds: all of them.
        m_dense = m_tailBound - m_headBound - 1 == m_middleCount || readGaps();
        if (m_middleCount < 0 || m_head.isEmpty() || m_tail.isEmpty()) {
            // The snapshot disagrees with itself: read it whole.
            m_head.clear();
            m_tail.clear();
            m_middleCount = 0;
            m_dense = false;
            ok = ok && readKeys({}, &m_head);
        }
    }
    m_engine->endRead();
    return ok;
}

bool RecordKeys::readGaps()
{
    QList<qint64> gaps;
    // The gaps are only believed when they account for every place between
    // the bounds that holds no row of the set.
    if (m_middleCount <= 0 || !m_engine->recordedGaps(m_headBound, m_tailBound, MaxGaps, &gaps)
        || gaps.size() > MaxGaps || m_tailBound - m_headBound - 1 - gaps.size() != m_middleCount)
        return false;
    m_deletedMiddle = gaps;
    return true;
}

int RecordKeys::count() const
{
    if (m_sorted)
        return m_sorted->count();
    if (m_order)
        return int(m_order->size());
    return int(m_head.size() + m_middleCount + m_tail.size() + m_added.size());
}

qint64 RecordKeys::denseKey(qint64 rank) const
{
    qint64 key = m_headBound + 1 + rank;
    for (qint64 gone : m_deletedMiddle) {
        if (gone > key)
            break;
        ++key;
    }
    return key;
}

bool RecordKeys::readDenseChunk(qint64 start, qint64 end, QList<qint64> *keys)
{
    const qint64 first = denseKey(start);
    const qint64 last = denseKey(end - 1);
    QList<qint64> found;
    if (!readKeys({.above = first - 1, .below = last + 1}, &found))
        return false;
    // Each key between the two was in the set when it was loaded, but those
    // removed since. One missing now left meanwhile: its place stays, empty,
    // and no other row moves into it.
    auto gone = std::lower_bound(m_deletedMiddle.cbegin(), m_deletedMiddle.cend(), first);
    auto it = found.cbegin();
    for (qint64 key = first; key <= last; ++key) {
        if (gone != m_deletedMiddle.cend() && *gone == key) {
            ++gone;
            continue;
        }
        while (it != found.cend() && *it < key)
            ++it;
        // A key appended in a place left empty shows at the end.
        const bool present = it != found.cend() && *it == key && !m_addedSet.contains(key);
        keys->append(present ? key : Vanished);
    }
    return true;
}

bool RecordKeys::readChunkBetween(int before, int after, qint64 start, qint64 end,
                                  QList<qint64> *keys)
{
    // Counted from the nearest key known on either side: a chunk next to one
    // already read costs no more than its own keys, and a jump to the middle
    // steps over at most half of it.
    qint64 lowKey = m_headBound;
    qint64 lowRank = -1;
    if (before >= 0) {
        const Chunk &c = m_chunks.at(before);
        for (qsizetype i = c.keys.size() - 1; i >= 0; --i) {
            if (c.keys.at(i) != Vanished) {
                lowKey = c.keys.at(i);
                lowRank = c.start + i;
                break;
            }
        }
    }
    qint64 highKey = m_tailBound;
    qint64 highRank = m_middleCount;
    if (after < m_chunks.size()) {
        const Chunk &c = m_chunks.at(after);
        for (qsizetype i = 0; i < c.keys.size(); ++i) {
            if (c.keys.at(i) != Vanished) {
                highKey = c.keys.at(i);
                highRank = c.start + i;
                break;
            }
        }
    }
    const qint64 want = end - start;
    const qint64 fromLow = start - lowRank - 1;
    const qint64 fromHigh = highRank - end;
    const bool ascending = fromLow <= fromHigh;
    QList<qint64> found;
    if (!readKeys({lowKey, highKey, !ascending, want, ascending ? fromLow : fromHigh}, &found))
        return false;
    if (!ascending)
        std::reverse(found.begin(), found.end());
    found.removeIf([this](qint64 k) { return m_addedSet.contains(k); });
    // Rows another program deleted meanwhile: the read falls short, and the
    // places at the far end from where it counted stay empty.
    const QList<qint64> empty(want - found.size(), Vanished);
    *keys = ascending ? found + empty : empty + found;
    return true;
}

int RecordKeys::chunkAfter(const QList<Chunk> &chunks, qint64 rank)
{
    int after = 0;
    while (after < chunks.size() && chunks.at(after).start <= rank)
        ++after;
    return after;
}

int RecordKeys::dropFarChunks(QList<Chunk> *chunks, int kept)
{
    while (chunks->size() > MiddleChunks) {
        const qint64 toFirst = chunks->at(kept).start - chunks->first().start;
        const qint64 toLast = chunks->last().start - chunks->at(kept).start;
        if (toFirst >= toLast) {
            chunks->removeFirst();
            --kept;
        } else {
            chunks->removeLast();
        }
    }
    return kept;
}

void RecordKeys::removeFromChunks(QList<Chunk> *chunks, qint64 rank)
{
    for (qsizetype i = chunks->size() - 1; i >= 0; --i) {
        Chunk &c = (*chunks)[i];
        if (c.start > rank) {
            --c.start;
        } else if (rank < c.end()) {
            c.keys.removeAt(rank - c.start);
            if (c.keys.isEmpty())
                chunks->removeAt(i);
        }
    }
}

int RecordKeys::loadChunk(qint64 rank)
{
    const int after = chunkAfter(m_chunks, rank);
    const int before = after - 1;
    const qint64 lo = before >= 0 ? m_chunks.at(before).end() : 0;
    const qint64 hi = after < m_chunks.size() ? m_chunks.at(after).start : m_middleCount;
    // Around the row wanted, for a scroll bar let go anywhere; a row next to
    // a chunk read already starts or ends the new one, for scrolling by pages.
    const qint64 start = qMax(lo, qMin(rank - MiddleChunk / 2, hi - MiddleChunk));
    const qint64 end = qMin(hi, start + MiddleChunk);
    Chunk chunk;
    chunk.start = start;
    const bool ok = m_dense ? readDenseChunk(start, end, &chunk.keys)
                            : readChunkBetween(before, after, start, end, &chunk.keys);
    if (!ok)
        return -1;
    m_chunks.insert(after, chunk);
    return dropFarChunks(&m_chunks, after);
}

qint64 RecordKeys::middleKey(qint64 rank)
{
    for (const Chunk &c : std::as_const(m_chunks)) {
        if (rank >= c.start && rank < c.end())
            return c.keys.at(rank - c.start);
    }
    const int loaded = loadChunk(rank);
    if (loaded < 0)
        return Vanished;
    const Chunk &c = m_chunks.at(loaded);
    return c.keys.at(rank - c.start);
}

void RecordKeys::pin(int rank)
{
    m_pinned = rank;
    m_pinnedKey.reset();
}

qint64 RecordKeys::keyAt(int rank)
{
    if (rank < 0 || rank >= count())
        return Vanished;
    if (m_order)
        return m_order->at(rank);
    if (rank == m_pinned && m_pinnedKey)
        return *m_pinnedKey;
    if (m_sorted) {
        const qint64 key = m_sorted->keyAt(rank);
        if (rank == m_pinned)
            m_pinnedKey = key;
        return key;
    }
    if (rank < m_head.size())
        return m_head.at(rank);
    qint64 r = rank - m_head.size();
    if (r < m_middleCount) {
        const qint64 key = middleKey(r);
        if (rank == m_pinned)
            m_pinnedKey = key;
        return key;
    }
    r -= m_middleCount;
    if (r < m_tail.size())
        return m_tail.at(int(r));
    return m_added.at(int(r - m_tail.size()));
}

void RecordKeys::setOrder(const QList<qint64> &keys)
{
    m_order = keys;
}

void RecordKeys::setOrder(std::unique_ptr<OrderSource> source)
{
    m_sorted = std::make_unique<SortedKeys>(std::move(source), count(), m_onError);
}

bool RecordKeys::placeLandmarks(int budgetMs)
{
    return m_sorted && m_sorted->placeLandmarks(budgetMs);
}

std::optional<int> RecordKeys::rankOf(qint64 key)
{
    return m_sorted ? m_sorted->rankOf(key) : std::nullopt;
}

void RecordKeys::append(qint64 key)
{
    if (m_sorted) {
        m_sorted->append(key);
        return;
    }
    if (m_order) {
        m_order->append(key);
        return;
    }
    m_added << key;
    m_addedSet.insert(key);
}

void RecordKeys::removeMiddleRank(qint64 rank, qint64 key)
{
    if (m_dense) {
        // A row that had vanished still held its key's place.
        const qint64 gone = key != Vanished ? key : denseKey(rank);
        m_deletedMiddle.insert(std::lower_bound(m_deletedMiddle.begin(), m_deletedMiddle.end(),
                                                gone),
                               gone);
    }
    removeFromChunks(&m_chunks, rank);
    --m_middleCount;
}

void RecordKeys::refillTail()
{
    // The next rows from the end of the middle become the new tail.
    QList<qint64> keys;
    if (!readKeys({m_headBound, m_tailBound, true, qMin<qint64>(m_middleCount, EdgeRows)}, &keys)
        || keys.isEmpty()) {
        m_middleCount = 0;
        m_chunks.clear();
        return;
    }
    std::reverse(keys.begin(), keys.end());
    m_tail = keys;
    m_middleCount -= keys.size();
    m_tailBound = m_tail.first();
    while (!m_chunks.isEmpty() && m_chunks.last().start >= m_middleCount)
        m_chunks.removeLast();
    if (!m_chunks.isEmpty() && m_chunks.last().end() > m_middleCount)
        m_chunks.last().keys.resize(m_middleCount - m_chunks.last().start);
    if (m_dense) {
        while (!m_deletedMiddle.isEmpty() && m_deletedMiddle.last() >= m_tailBound)
            m_deletedMiddle.removeLast();
        m_dense = m_tailBound - m_headBound - 1 == m_middleCount + m_deletedMiddle.size();
        if (!m_dense)
            m_deletedMiddle.clear();
    }
}

void RecordKeys::remove(int rank, qint64 key)
{
    if (m_sorted) {
        m_sorted->remove(rank);
        return;
    }
    if (m_order) {
        m_order->removeAt(rank);
        return;
    }
    if (rank < m_head.size()) {
        m_head.removeAt(rank);
        return;
    }
    qint64 r = rank - m_head.size();
    if (r < m_middleCount) {
        removeMiddleRank(r, key);
        return;
    }
    r -= m_middleCount;
    if (r < m_tail.size()) {
        m_tail.removeAt(int(r));
        if (m_tail.isEmpty() && m_middleCount > 0)
            refillTail();
        return;
    }
    r -= m_tail.size();
    if (r < m_added.size())
        m_addedSet.remove(m_added.takeAt(int(r)));
}
