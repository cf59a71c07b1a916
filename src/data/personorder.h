#pragma once

#include "ordersource.h"
#include "personsearch.h"

// The persons list of a sex (or all) sorted by a column, read through the
// finding and sorting the register keeps. The search is its owner's.
class PersonOrder final : public OrderSource
{
public:
    PersonOrder(PersonSearch *search, const PersonSearch::Order &order, const QString &sex);

    bool read(const std::optional<Place> &from, bool backward, qint64 skip, int count,
              const QList<qint64> &except, QList<qint64> *keys, DataError *error) override;
    bool readPlaces(const std::optional<Place> &from, qint64 skip, qint64 step, int count,
                    const QList<qint64> &except, QList<Place> *places,
                    DataError *error) override;
    std::optional<Place> placeOf(qint64 key, DataError *error) override;
    bool precedes(const Place &place, const Place &other) const override;
    std::optional<qint64> countBefore(const Place &place, const QList<qint64> &except,
                                      DataError *error) override;

private:
    PersonSearch *m_search;
    PersonSearch::Order m_order;
    QString m_sex;
};
