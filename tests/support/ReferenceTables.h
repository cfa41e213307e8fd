#pragma once

#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/TDM1.h"
#include "TestDir.h"

// The receipt and trip type tables, made and opened in a fresh folder.
struct ReferenceTables {
    TestDir dir;
    Database db{dir.path()};
    Table receipts{db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"), TDM1::receiptFields()};
    Table trips{db, QStringLiteral("LPoezd.db"), QStringLiteral("LPoezd"), TDM1::tripTypeFields()};
    ReferenceTables() {
        for (Table *t : {&receipts, &trips}) {
            t->create();
            t->open();
        }
    }
};
