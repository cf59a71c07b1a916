#pragma once

#include <QTest>

// Declares a _data() table's columns at once: columns<int, QString>("row", "script").
template<typename... Types, typename... Names>
void columns(const Names &...names)
{
    static_assert(sizeof...(Types) == sizeof...(Names));
    (QTest::addColumn<Types>(names), ...);
}

// A table of one flag: a row without it, then a row with it.
inline void flag(const char *name, const char *without, const char *with)
{
    QTest::addColumn<bool>(name);
    QTest::newRow(without) << false;
    QTest::newRow(with) << true;
}

// The current row's value in a column, for a value used once: cell<QString>("script").
template<typename T>
const T &cell(const char *column)
{
    return *static_cast<const T *>(QTest::qData(column, qMetaTypeId<T>()));
}
