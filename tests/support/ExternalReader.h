#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// Reads what the program wrote with another program from a Debian package
// (Python's csv and html5lib through readers.py, unrtf, pdftotext, ipptool).
// The test command installs them: a missing reader fails the test, it does
// not skip it. Failures are recorded in the running test function and an
// empty result returned, so a caller checks QTest::currentTestFailed().
class ExternalReader {
public:
    // The program's standard output; it must exit with 0.
    static QByteArray run(const QString &program, const QStringList &arguments);
    // readers.py KIND FILE [ARGS...]: what it printed, as a JSON object.
    static QJsonObject python(const QString &kind, const QString &file, const QStringList &more = {});
    // The full path of a program, searched in the system folders first
    // (where Debian puts it: a python of one's own has not its modules).
    static QString find(const QString &program);
};
