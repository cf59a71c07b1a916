#pragma once

#include "ordersource.h"
#include "recordkeys.h"

#include <memory>

// The keys of a set by rank in an order of the operator's, however long the
// set: the count is the set's own, chunks of keys are read as they are
// needed from the nearest place known, and a landmark every so many rows,
// placed a slice at a time after the first page is shown, lets a far jump or
// the rank of a row found be read near it. A row added joins the end.
class SortedKeys
{
public:
    SortedKeys(std::unique_ptr<OrderSource> source, qint64 count, RecordKeys::ErrorSink onError);
    ~SortedKeys();

    int count() const { return int(m_count + m_added.size()); }
    qint64 keyAt(qint64 rank);
    std::optional<int> rankOf(qint64 key);
    void remove(qint64 rank);
    void append(qint64 key) { m_added << key; }
    // Places landmarks for about budgetMs; false once they reach the end.
    bool placeLandmarks(int budgetMs);

private:
    struct Landmark
    {
        qint64 rank = 0;
        OrderSource::Place place;
    };
    // Where a read of a chunk may start: an end, a landmark, or a key read
    // already, whose place is asked for only when it is the one taken.
    struct Anchor
    {
        std::optional<OrderSource::Place> place;
        std::optional<qint64> key;
        bool backward = false;
        qint64 skip = 0;
    };

    bool fail(const DataError &error);
    int loadChunk(qint64 rank);
    QList<Anchor> anchors(int before, int after, qint64 start, qint64 end) const;
    bool readChunk(const QList<Anchor> &anchors, qint64 want, QList<qint64> *keys);

    std::unique_ptr<OrderSource> m_source;
    RecordKeys::ErrorSink m_onError;
    qint64 m_count = 0;
    QList<RecordKeys::Chunk> m_chunks; // sorted by rank, never overlapping
    QList<Landmark> m_landmarks;       // sorted by rank and by place
    bool m_landmarksPlaced = false;
    QList<qint64> m_added;
};
