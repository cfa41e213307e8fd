#include "core/SaveLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

void SaveLeftovers::remove(const QString &path) {
    const QFileInfo file(path);
    static const QRegularExpression mixedCase(QStringLiteral("^(?=.*[a-z])(?=.*[A-Z])[A-Za-z]{6}$"));
    const QString prefix = file.fileName() + QLatin1Char('.');
    const QFileInfoList found =
        file.absoluteDir().entryInfoList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &f : found) {
        if (!f.isSymLink() && f.fileName().startsWith(prefix) &&
            mixedCase.match(f.fileName().mid(prefix.size())).hasMatch())
            QFile::remove(f.absoluteFilePath());
    }
}
