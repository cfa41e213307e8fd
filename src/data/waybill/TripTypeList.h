#pragma once

#include <QString>
#include <QVector>

class Random;
class Table;

// One trip type as the waybill commands use it.
struct TripType {
    int id = 0;
    QString name;
    QString tout;
    QString tin;
    double prob = 0;
};

// The trip types of one command, read from the table once, in ascending ID
// order, so that the many random draws of a recalculation cost no query.
class TripTypeList {
public:
    TripTypeList() = default;
    explicit TripTypeList(QVector<TripType> types) : m_types(std::move(types)) {}

    // Reads the whole table with its display updates held back; its current
    // record is left where it was.
    static TripTypeList read(Table &lpoezd);

    int size() const { return int(m_types.size()); }
    bool isEmpty() const { return m_types.isEmpty(); }
    const TripType &at(int i) const { return m_types.at(i); }

    // The trip draw: k = r * count rounded half to even, then k records on
    // from the first, stopping at the last. The rounding gives the first
    // trip type half and the last one and a half times the share of the
    // others; that bias is how the program has always chosen trips.
    // nullptr when there are no trip types.
    const TripType *draw(Random &random, int count) const;
    // Where a draw of r lands.
    static int drawIndex(double r, int count, int size);

    static double roundHalfEven(double x);

private:
    QVector<TripType> m_types;
};
