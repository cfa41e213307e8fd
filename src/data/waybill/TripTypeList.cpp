#include "data/waybill/TripTypeList.h"

#include "core/ControlsHold.h"
#include "core/Names.h"
#include "data/table/Table.h"
#include "data/waybill/Random.h"

#include <cmath>

TripTypeList TripTypeList::read(Table &lpoezd) {
    QVector<TripType> types;
    const ControlsHold<Table> hold(lpoezd);
    const int n = lpoezd.recordCount();
    types.reserve(n);
    for (int row = 0; row < n; ++row) {
        TripType t;
        t.id = lpoezd.valueAt(row, Fields::ID).toInt();
        t.name = lpoezd.valueAt(row, Fields::NAME).toString();
        t.tout = lpoezd.valueAt(row, Fields::TOUT).toString();
        t.tin = lpoezd.valueAt(row, Fields::TIN).toString();
        t.prob = lpoezd.floatOf(lpoezd.valueAt(row, Fields::PROB));
        types.append(t);
    }
    return TripTypeList(std::move(types));
}

double TripTypeList::roundHalfEven(double x) {
    const double down = std::floor(x);
    const double diff = x - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

int TripTypeList::drawIndex(double r, int count, int size) {
    const double k = roundHalfEven(r * count);
    if (size <= 0)
        return -1;
    return k >= size ? size - 1 : qMax(0, int(k));
}

const TripType *TripTypeList::draw(Random &random, int count) const {
    const int i = drawIndex(random.uniform(), count, size());
    return i < 0 ? nullptr : &m_types[i];
}
