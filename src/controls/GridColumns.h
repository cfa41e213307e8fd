#pragma once

#include <QAbstractProxyModel>
#include <QList>
#include <QStringList>

// The columns a grid shows, in its order and with its titles, over rows
// that hold more fields. Views and screen readers see only these columns;
// the rows stay addressed by the same row numbers.
class GridColumns : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit GridColumns(QObject *parent = nullptr) : QAbstractProxyModel(parent) {}

    void setSourceModel(QAbstractItemModel *source) override;
    // Source columns in the order shown, and their titles; no columns: all
    // of the source's.
    void setColumns(const QList<int> &columns, const QStringList &titles);
    // The shown column of a source column, -1 when it is not shown.
    int columnOf(int sourceColumn) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &) const override { return {}; }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    int sourceColumn(int column) const;
    void forwardDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                            const QList<int> &roles);

    QList<int> m_columns;
    QStringList m_titles;
    QList<QMetaObject::Connection> m_connections;
};
