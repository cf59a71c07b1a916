#pragma once

#include "dataerror.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

class Engine;
class OrderSource;
class SortedKeys;
struct KeyRange;

// The keys of a record set by rank. A set of a million rows knows its count,
// its first and last keys, and reads the keys between in chunks as they are
// needed, counted from the nearest key it knows. It keeps only a few chunks,
// so memory stays bounded however far one scrolls. The set of keys is fixed
// when it is loaded: a key appended joins its end, a key removed leaves it.
class RecordKeys
{
public:
    // The place of a row another program deleted before the set reached it.
    static constexpr qint64 Vanished = std::numeric_limits<qint64>::min();

    // A failed read of keys reports here; the set stays as it was.
    using ErrorSink = std::function<void(const DataError &error)>;

    explicit RecordKeys(ErrorSink onError);
    ~RecordKeys();

    // The engine is the owner's; none while the set has no source.
    void setEngine(Engine *engine) { m_engine = engine; }

    // Counts the set and reads its ends, all from one snapshot.
    bool load();
    void clear();

    int count() const;
    // Vanished for a rank out of range or a row gone meanwhile.
    qint64 keyAt(int rank);
    // A chunk read again after rows vanished may place its keys one off; edit
    // and delete must still reach the row the operator was shown, so the key
    // at the pinned rank is held once read, until another rank is pinned.
    void pin(int rank);
    // key is what keyAt gave for the rank, Vanished included.
    void remove(int rank, qint64 key);
    void append(qint64 key);
    // The set in an order of the operator's (a sorted column): every key of
    // it, in that order, replaces the engine's order until the next load.
    void setOrder(const QList<qint64> &keys);
    // The set in the source's order, read from it as needed, until the next
    // load; a set of millions costs no more than one of thousands.
    void setOrder(std::unique_ptr<OrderSource> source);
    // In the source's order: what a far jump and rankOf() read near, placed
    // for about budgetMs at a time; false once there is no more to place.
    bool placeLandmarks(int budgetMs);
    // Where a key of the set stands in the source's order; none without one.
    std::optional<int> rankOf(qint64 key);

    // Keys read by rank, from start.
    struct Chunk
    {
        qint64 start = 0;
        QList<qint64> keys;
        qint64 end() const { return start + keys.size(); }
    };
    // Where a chunk with the rank goes among chunks sorted by rank.
    static int chunkAfter(const QList<Chunk> &chunks, qint64 rank);
    // Keeps the chunks nearest the one kept; returns where it went.
    static int dropFarChunks(QList<Chunk> *chunks, int kept);
    // The rows after the rank move up one.
    static void removeFromChunks(QList<Chunk> *chunks, qint64 rank);

private:
    bool fail(const DataError &error);
    bool readKeys(const KeyRange &range, QList<qint64> *keys);
    bool readGaps();
    qint64 middleKey(qint64 rank);
    int loadChunk(qint64 rank);
    bool readDenseChunk(qint64 start, qint64 end, QList<qint64> *keys);
    bool readChunkBetween(int before, int after, qint64 start, qint64 end, QList<qint64> *keys);
    qint64 denseKey(qint64 rank) const;
    void removeMiddleRank(qint64 rank, qint64 key);
    void refillTail();

    Engine *m_engine = nullptr;
    ErrorSink m_onError;

    // By rank: m_head, then the m_middleCount keys of the middle, then m_tail,
    // then the keys appended.
    QList<qint64> m_head;
    qint64 m_middleCount = 0;
    QList<qint64> m_tail;
    // The middle's keys lie strictly between these two.
    qint64 m_headBound = 0;
    qint64 m_tailBound = 0;
    // The parts of the middle read so far, by their rank in the middle; sorted,
    // never overlapping.
    QList<Chunk> m_chunks;
    // A middle that was every key between its bounds when loaded, but the
    // persons' recorded gaps: rank k is then m_headBound + 1 + k, after
    // skipping those gaps and the keys removed since.
    bool m_dense = false;
    QList<qint64> m_deletedMiddle; // sorted
    QList<qint64> m_added;
    QSet<qint64> m_addedSet;

    // The whole set, when it is in the operator's order; or read as needed.
    std::optional<QList<qint64>> m_order;
    std::unique_ptr<SortedKeys> m_sorted;

    int m_pinned = -1;
    std::optional<qint64> m_pinnedKey;
};
