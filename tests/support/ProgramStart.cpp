#include "ProgramStart.h"

#include "data/table/Table.h"

#include <QCoreApplication>
#include <QDir>

ProgramStart::ProgramStart(const QString &dir)
    : dm(dir, QDir(dir).filePath(QStringLiteral("Orvet.ini"))), editor(&dm, &mainForm), day(&dm, &editor) {
    dm.setForms(&editor, nullptr, nullptr, nullptr, &day);
    mainForm.setDataModule(&dm);
    mainForm.show();
    QCoreApplication::processEvents();
}

ProgramStart::~ProgramStart() {
    mainForm.hide();
    dm.setForms(nullptr, nullptr, nullptr, nullptr, nullptr);
}

QString readEveryRow(TDM1 &dm) {
    for (Table *t : dm.tables()) {
        if (!t->isOpen())
            return QStringLiteral("table %1 is not open").arg(t->fileName());
        t->setFiltered(false);
        for (int r = 0; r < t->recordCount(); ++r)
            for (const FieldDef &f : t->fields())
                t->valueAt(r, f.name);
    }
    return QString();
}
