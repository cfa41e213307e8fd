#pragma once

#include "data/statement/StatementReceipts.h"

#include <QString>

class TDM1;

// Loading the receipts of a card statement: the file is chosen, read and
// shown with the columns found in it; on Ok the receipts not stored yet go
// in, all in one transaction, and a message says what became of the rows.
class ImportCommand {
public:
    explicit ImportCommand(TDM1 &dm);

    void Import_cheskExecute();
    // Everything after the file is chosen; the tests start here.
    void importFile(const QString &path);

    // What became of the statement's rows.
    struct Outcome {
        int added = 0;
        int skipped = 0;    // stored before
        int leftOut = 0;    // not fuel
        int refunds = 0;    // among the added
        int otherCards = 0; // of the cards left out
        int totals = 0;     // totals, subtotals, rows without a date
    };
    // The closing message.
    static QString summary(const Outcome &outcome);

private:
    QString chooseFile();
    QList<StatementReceipts::Receipt> storedBetween(const QDate &from, const QDate &to);

    TDM1 &m_dm;
    bool m_accepted = false;
    QString m_folder; // of the last statement in the run
};
