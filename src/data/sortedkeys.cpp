#include "sortedkeys.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// A chunk is read in one statement from the nearest place known; a grid page
// or a few of them.
constexpr int ChunkRows = 1024;
// A landmark every so many rows: a far jump or the rank of a row found reads
// at most this many keys past one. Ten thousand at ten million rows.
constexpr int LandmarkStep = 1024;
// Landmarks read in one call, which prepares its statement once for them
// all: a few milliseconds.
constexpr int LandmarksRead = 16;

} // namespace

SortedKeys::SortedKeys(std::unique_ptr<OrderSource> source, qint64 count,
                       RecordKeys::ErrorSink onError)
    : m_source(std::move(source))
    , m_onError(std::move(onError))
    , m_count(count)
{
}

SortedKeys::~SortedKeys() = default;

bool SortedKeys::fail(const DataError &error)
{
    if (m_onError)
        m_onError(error);
    return false;
}

qint64 SortedKeys::keyAt(qint64 rank)
{
    if (rank < 0 || rank >= count())
        return RecordKeys::Vanished;
    if (rank >= m_count)
        return m_added.at(rank - m_count);
    for (const RecordKeys::Chunk &c : std::as_const(m_chunks)) {
        if (rank >= c.start && rank < c.end())
            return c.keys.at(rank - c.start);
    }
    const int loaded = loadChunk(rank);
    if (loaded < 0)
        return RecordKeys::Vanished;
    const RecordKeys::Chunk &c = m_chunks.at(loaded);
    return c.keys.at(rank - c.start);
}

// Every place a read of the ranks from start to end could begin, the
// nearest first: the ends, the landmarks either side, the chunks either side.
QList<SortedKeys::Anchor> SortedKeys::anchors(int before, int after, qint64 start,
                                              qint64 end) const
{
    QList<Anchor> found{{std::nullopt, std::nullopt, false, start},
                        {std::nullopt, std::nullopt, true, m_count - end}};
    const auto next = std::lower_bound(m_landmarks.cbegin(), m_landmarks.cend(), start,
                                       [](const Landmark &l, qint64 r) { return l.rank < r; });
    if (next != m_landmarks.cbegin()) {
        const Landmark &l = *(next - 1);
        found.append({l.place, std::nullopt, false, start - l.rank - 1});
    }
    const auto beyond = std::lower_bound(next, m_landmarks.cend(), end,
                                         [](const Landmark &l, qint64 r) { return l.rank < r; });
    if (beyond != m_landmarks.cend())
        found.append({beyond->place, std::nullopt, true, beyond->rank - end});
    // A row that vanished meanwhile has no place: the next one known is taken.
    if (before >= 0) {
        const RecordKeys::Chunk &c = m_chunks.at(before);
        for (qsizetype i = c.keys.size() - 1; i >= 0; --i) {
            if (c.keys.at(i) != RecordKeys::Vanished) {
                found.append({std::nullopt, c.keys.at(i), false, start - c.start - i - 1});
                break;
            }
        }
    }
    if (after < m_chunks.size()) {
        const RecordKeys::Chunk &c = m_chunks.at(after);
        for (qsizetype i = 0; i < c.keys.size(); ++i) {
            if (c.keys.at(i) != RecordKeys::Vanished) {
                found.append({std::nullopt, c.keys.at(i), true, c.start + i - end});
                break;
            }
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Anchor &a, const Anchor &b) { return a.skip < b.skip; });
    return found;
}

bool SortedKeys::readChunk(const QList<Anchor> &anchors, qint64 want, QList<qint64> *keys)
{
    DataError error;
    for (const Anchor &anchor : anchors) {
        std::optional<OrderSource::Place> place = anchor.place;
        if (anchor.key && !(place = m_source->placeOf(*anchor.key, &error))) {
            if (error.isError())
                return fail(error);
            continue;
        }
        QList<qint64> found;
        if (!m_source->read(place, anchor.backward, anchor.skip, int(want), m_added, &found,
                            &error))
            return fail(error);
        if (anchor.backward)
            std::reverse(found.begin(), found.end());
        // Rows another program deleted meanwhile: the read falls short, and
        // the places at the far end from where it counted stay empty.
        const QList<qint64> empty(want - found.size(), RecordKeys::Vanished);
        *keys = anchor.backward ? empty + found : found + empty;
        return true;
    }
    return false;
}

int SortedKeys::loadChunk(qint64 rank)
{
    const int after = RecordKeys::chunkAfter(m_chunks, rank);
    const int before = after - 1;
    const qint64 lo = before >= 0 ? m_chunks.at(before).end() : 0;
    const qint64 hi = after < m_chunks.size() ? m_chunks.at(after).start : m_count;
    // Around the row wanted, for a jump; a row next to a chunk read already
    // starts or ends the new one, for scrolling by pages.
    const qint64 start = qMax(lo, qMin(rank - ChunkRows / 2, hi - ChunkRows));
    const qint64 end = qMin(hi, start + ChunkRows);
    RecordKeys::Chunk chunk{start, {}};
    if (!readChunk(anchors(before, after, start, end), end - start, &chunk.keys))
        return -1;
    m_chunks.insert(after, chunk);
    return RecordKeys::dropFarChunks(&m_chunks, after);
}

bool SortedKeys::placeLandmarks(int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    DataError error;
    while (!m_landmarksPlaced && clock.elapsed() < budgetMs) {
        const bool first = m_landmarks.isEmpty();
        qint64 rank = first ? 0 : m_landmarks.last().rank + LandmarkStep;
        QList<OrderSource::Place> places;
        if (rank < m_count
            && !m_source->readPlaces(first ? std::nullopt
                                           : std::optional(m_landmarks.last().place),
                                     first ? 0 : LandmarkStep - 1, LandmarkStep, LandmarksRead,
                                     m_added, &places, &error)) {
            fail(error);
            places.clear();
        }
        for (const OrderSource::Place &place : std::as_const(places)) {
            if (rank >= m_count)
                break;
            m_landmarks.append({rank, place});
            rank += LandmarkStep;
        }
        // A row deleted meanwhile ends them early: jumps past read further.
        m_landmarksPlaced = places.size() < LandmarksRead || rank >= m_count;
    }
    return !m_landmarksPlaced;
}

std::optional<int> SortedKeys::rankOf(qint64 key)
{
    if (const qsizetype added = m_added.indexOf(key); added >= 0)
        return int(m_count + added);
    for (const RecordKeys::Chunk &c : std::as_const(m_chunks)) {
        if (const qsizetype i = c.keys.indexOf(key); i >= 0)
            return int(c.start + i);
    }
    DataError error;
    const std::optional<OrderSource::Place> place = m_source->placeOf(key, &error);
    if (!place) {
        if (error.isError())
            fail(error);
        return std::nullopt;
    }
    // Read from the last landmark at or before the row up to the next one;
    // past the last placed, only once they reach the end.
    const auto next = std::upper_bound(m_landmarks.cbegin(), m_landmarks.cend(), *place,
                                       [this](const OrderSource::Place &p, const Landmark &l) {
                                           return m_source->precedes(p, l.place);
                                       });
    const qint64 nextRank = next != m_landmarks.cend() ? next->rank : m_count;
    // Landmarks ended early by a row deleted meanwhile leave a long way to count.
    if (next != m_landmarks.cbegin() && (next != m_landmarks.cend() || m_landmarksPlaced)
        && nextRank - (next - 1)->rank <= 2 * LandmarkStep) {
        const Landmark &from = *(next - 1);
        if (from.place.key == key)
            return int(from.rank);
        const qint64 span = nextRank - from.rank;
        QList<qint64> found;
        if (!m_source->read(from.place, false, 0, int(span), m_added, &found, &error)) {
            fail(error);
            return std::nullopt;
        }
        if (const qsizetype i = found.indexOf(key); i >= 0)
            return int(from.rank + 1 + i);
    }
    const std::optional<qint64> counted = m_source->countBefore(*place, m_added, &error);
    if (!counted)
        fail(error);
    return counted ? std::optional<int>(int(*counted)) : std::nullopt;
}

void SortedKeys::remove(qint64 rank)
{
    if (rank >= m_count) {
        m_added.removeAt(rank - m_count);
        return;
    }
    RecordKeys::removeFromChunks(&m_chunks, rank);
    // A landmark is a place between rows: the rows after it move up one, and
    // one on the row deleted no longer has a rank of its own.
    m_landmarks.removeIf([rank](const Landmark &l) { return l.rank == rank; });
    for (Landmark &l : m_landmarks) {
        if (l.rank > rank)
            --l.rank;
    }
    --m_count;
}
