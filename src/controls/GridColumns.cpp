#include "controls/GridColumns.h"

void GridColumns::setSourceModel(QAbstractItemModel *source) {
    beginResetModel();
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        // The rows come and go one by one or all at once; the fields never change.
        m_connections = {
            connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); }),
            connect(source, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); }),
            connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                    [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); }),
            connect(source, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); }),
            connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                    [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); }),
            connect(source, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); }),
            connect(source, &QAbstractItemModel::dataChanged, this, &GridColumns::forwardDataChanged),
            connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { beginResetModel(); }),
            connect(source, &QAbstractItemModel::layoutChanged, this, [this] { endResetModel(); }),
        };
    }
    endResetModel();
}

void GridColumns::setColumns(const QList<int> &columns, const QStringList &titles) {
    beginResetModel();
    m_columns = columns;
    m_titles = titles;
    endResetModel();
}

int GridColumns::sourceColumn(int column) const {
    if (m_columns.isEmpty())
        return column;
    return column >= 0 && column < m_columns.size() ? m_columns[column] : -1;
}

int GridColumns::columnOf(int sourceColumn) const {
    return m_columns.isEmpty() ? sourceColumn : int(m_columns.indexOf(sourceColumn));
}

QModelIndex GridColumns::index(int row, int column, const QModelIndex &parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

int GridColumns::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->rowCount();
}

int GridColumns::columnCount(const QModelIndex &parent) const {
    if (parent.isValid() || !sourceModel())
        return 0;
    return m_columns.isEmpty() ? sourceModel()->columnCount() : int(m_columns.size());
}

QModelIndex GridColumns::mapToSource(const QModelIndex &proxyIndex) const {
    if (!proxyIndex.isValid() || !sourceModel())
        return {};
    return sourceModel()->index(proxyIndex.row(), sourceColumn(proxyIndex.column()));
}

QModelIndex GridColumns::mapFromSource(const QModelIndex &sourceIndex) const {
    if (!sourceIndex.isValid())
        return {};
    const int column = columnOf(sourceIndex.column());
    return column < 0 ? QModelIndex() : createIndex(sourceIndex.row(), column);
}

QVariant GridColumns::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles[section];
    if (orientation == Qt::Horizontal && sourceModel())
        return sourceModel()->headerData(sourceColumn(section), orientation, role);
    return QAbstractProxyModel::headerData(section, orientation, role);
}

// A change in fields that are not shown is no change here; one that spans
// shown fields covers the shown columns between them.
void GridColumns::forwardDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                     const QList<int> &roles) {
    int first = -1, last = -1;
    for (int c = 0; c < columnCount(); ++c) {
        const int s = sourceColumn(c);
        if (s < topLeft.column() || s > bottomRight.column())
            continue;
        if (first < 0)
            first = c;
        last = c;
    }
    if (first >= 0)
        emit dataChanged(index(topLeft.row(), first), index(bottomRight.row(), last), roles);
}
