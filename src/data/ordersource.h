#pragma once

#include "dataerror.h"

#include <QList>
#include <QVariantList>

#include <optional>

// The keys of a set in an order of the operator's, read a few at a time from
// a place in it: all a sorted set needs of its engine, however long it is.
class OrderSource
{
public:
    // A row's place in the order: its key and the values it sorts by.
    struct Place
    {
        qint64 key = 0;
        QVariantList by;
    };

    virtual ~OrderSource() = default;

    // Up to count keys after the place (before it, backward), nearest first,
    // past the first skip of them; from the start (the end) without a place.
    // The keys of except are left out, as if they were not in the set.
    virtual bool read(const std::optional<Place> &from, bool backward, qint64 skip, int count,
                      const QList<qint64> &except, QList<qint64> *keys, DataError *error) = 0;
    // The places of every step-th row after the place (from the start without
    // one), from the first past skip of them, up to count places; except as
    // for read().
    virtual bool readPlaces(const std::optional<Place> &from, qint64 skip, qint64 step,
                            int count, const QList<qint64> &except, QList<Place> *places,
                            DataError *error)
        = 0;
    // None once the row is gone.
    virtual std::optional<Place> placeOf(qint64 key, DataError *error) = 0;
    virtual bool precedes(const Place &place, const Place &other) const = 0;
    // The rows before the place, but those of except: counted, the long way.
    virtual std::optional<qint64> countBefore(const Place &place, const QList<qint64> &except,
                                              DataError *error) = 0;
};
