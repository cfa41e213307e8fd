#include "ExternalReader.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {
void fail(const QString &message) {
    QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}
} // namespace

QString ExternalReader::find(const QString &program) {
    const QString system =
        QStandardPaths::findExecutable(program, {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin"),
                                                 QStringLiteral("/bin"), QStringLiteral("/sbin")});
    return system.isEmpty() ? QStandardPaths::findExecutable(program) : system;
}

QByteArray ExternalReader::run(const QString &program, const QStringList &arguments) {
    const QString path = find(program);
    if (path.isEmpty()) {
        fail(QStringLiteral("%1 is not installed (scripts/test installs it)").arg(program));
        return {};
    }
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        fail(QStringLiteral("%1 %2 failed: %3")
                 .arg(program, arguments.join(QLatin1Char(' ')),
                      QString::fromLocal8Bit(process.readAllStandardError())));
        return {};
    }
    return process.readAllStandardOutput();
}

QJsonObject ExternalReader::python(const QString &kind, const QString &file, const QStringList &more) {
    const QString script = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/readers.py");
    const QByteArray out = run(QStringLiteral("python3"), QStringList{script, kind, file} + more);
    if (out.isEmpty())
        return {};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
    if (!doc.isObject())
        fail(QStringLiteral("readers.py %1 printed no JSON object: %2").arg(kind, error.errorString()));
    return doc.object();
}
