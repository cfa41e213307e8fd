#include "report/ReportDataSource.h"

ReportDataSource::~ReportDataSource() = default;

int ReportDataSource::fieldIndex(const QString &field) const {
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
