#pragma once

#include "core/Names.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/TDM1.h"
#include "TestDir.h"

// The four tables, made and opened in a fresh folder on one connection, as
// the data module has them, without the data module.
struct TableSet {
    TestDir dir;
    Database db{dir.path()};
    Table waybills{db, TableFiles::Orvet, QStringLiteral("Orvet"), TDM1::waybillFields()};
    Table days{db, TableFiles::OrvetSost, QStringLiteral("OrvetSost"), TDM1::dayRowFields()};
    Table receipts{db, TableFiles::Chesks, QStringLiteral("Chesks"), TDM1::receiptFields()};
    Table trips{db, TableFiles::LPoezd, QStringLiteral("LPoezd"), TDM1::tripTypeFields()};
    TableSet() {
        for (Table *t : {&waybills, &days, &receipts, &trips}) {
            t->create();
            t->open();
        }
    }
};
