#include "core/MemoryData.h"

#include "core/Names.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"

#include <algorithm>
#include <iterator>

namespace {
static_assert(std::size(DayFields::Names) == MemoryData::FieldCount);

// Text fields are cut to their size as the in-memory table would store them.
int textSize(int field) {
    switch (field) {
    case MemoryData::Chislo:
        return 5;
    case MemoryData::Poezdka:
        return 32;
    case MemoryData::VROUT:
    case MemoryData::VRIN:
        return 16;
    default:
        return 0;
    }
}

bool isInteger(int field) {
    return field == MemoryData::ID || field == MemoryData::Change;
}
} // namespace

MemoryData::MemoryData(QObject *parent) : CurrentRowModel(parent) {
    setObjectName(QStringLiteral("MemoryData1"));
}

QString MemoryData::fieldName(int field) {
    return field >= 0 && field < FieldCount ? DayFields::Names[field] : QString();
}

int MemoryData::fieldIndex(const QString &name) {
    for (int i = 0; i < FieldCount; ++i)
        if (name.compare(DayFields::Names[i], Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int MemoryData::field(const QString &name) {
    const int i = fieldIndex(name);
    if (i < 0)
        throw OrvetError(QStringLiteral("MemoryData1: Field '%1' not found").arg(name));
    return i;
}

QVariant MemoryData::normalized(int field, const QVariant &v) {
    if (!v.isValid() || v.isNull())
        return QVariant();
    if (isInteger(field))
        return QVariant(v.toInt());
    if (const int size = textSize(field))
        return QVariant(v.toString().left(size));
    return QVariant(v.toDouble());
}

void MemoryData::clear() {
    beginResetModel();
    m_rows.clear();
    m_dirtyFirst = m_dirtyLast = -1;
    endResetModel();
    moveTo(-1, true);
}

void MemoryData::insertRecord(const QVariantList &values) {
    Row row;
    for (int i = 0; i < FieldCount && i < values.size(); ++i)
        row[i] = normalized(i, values[i]);
    const int at = int(m_rows.size());
    beginInsertRows(QModelIndex(), at, at);
    m_rows.append(row);
    endInsertRows();
    moveTo(at, false);
}

void MemoryData::sortByChislo() {
    beginResetModel();
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const Row &a, const Row &b) {
        return a[Chislo].toString().compare(b[Chislo].toString(), Qt::CaseSensitive) < 0;
    });
    endResetModel();
    m_current = -1; // the rows moved under it
    first();
}

void MemoryData::moveTo(int row, bool eof) {
    const int old = m_current;
    m_current = m_rows.isEmpty() ? -1 : qBound(0, row, int(m_rows.size()) - 1);
    m_eof = eof || m_rows.isEmpty();
    if (old == m_current)
        return;
    if (m_disabled > 0)
        m_movedWhileDisabled = true;
    else
        emit currentRowChanged(m_current);
}

void MemoryData::first() {
    moveTo(0, false);
}

void MemoryData::next() {
    if (m_current + 1 >= m_rows.size())
        moveTo(m_current, true);
    else
        moveTo(m_current + 1, false);
}

void MemoryData::last() {
    moveTo(int(m_rows.size()) - 1, false);
}

void MemoryData::setCurrentRow(int row) {
    if (row != m_current)
        moveTo(row, false);
}

QVariant MemoryData::valueAt(int row, int field) const {
    if (row < 0 || row >= m_rows.size() || field < 0 || field >= FieldCount)
        return QVariant();
    return m_rows[row][field];
}

void MemoryData::setValueAt(int row, int field, const QVariant &v) {
    if (row < 0 || row >= m_rows.size())
        throw OrvetError(QStringLiteral("MemoryData1: Dataset is empty"));
    if (field < 0 || field >= FieldCount)
        throw OrvetError(QStringLiteral("MemoryData1: Field index out of range"));
    m_rows[row][field] = normalized(field, v);
    if (m_disabled > 0) {
        m_dirtyFirst = m_dirtyFirst < 0 ? row : qMin(m_dirtyFirst, row);
        m_dirtyLast = qMax(m_dirtyLast, row);
        return;
    }
    const QModelIndex i = index(row, field);
    emit dataChanged(i, i);
}

void MemoryData::enableControls() {
    if (m_disabled == 0 || --m_disabled > 0)
        return;
    if (m_dirtyFirst >= 0 && m_dirtyLast < m_rows.size())
        emit dataChanged(index(m_dirtyFirst, 0), index(m_dirtyLast, FieldCount - 1));
    m_dirtyFirst = m_dirtyLast = -1;
    if (m_movedWhileDisabled) {
        m_movedWhileDisabled = false;
        emit currentRowChanged(m_current);
    }
}

int MemoryData::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MemoryData::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : FieldCount;
}

QVariant MemoryData::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const QVariant &v = m_rows[index.row()][index.column()];
    const bool text = textSize(index.column()) > 0;
    switch (role) {
    case Qt::DisplayRole:
        if (v.isNull())
            return QVariant();
        if (text)
            return v;
        return isInteger(index.column()) ? QVariant(QString::number(v.toInt()))
                                         : QVariant(NumberText::general(v.toDouble()));
    case Qt::EditRole:
        return v;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment((text ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

Qt::ItemFlags MemoryData::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
