#include "settings/IniFile.h"

#include "data/OrvetError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char *const Codepage = "windows-1251";

bool isSectionLine(const QString &trimmed) {
    return trimmed.startsWith(QLatin1Char('[')) && trimmed.contains(QLatin1Char(']'));
}

QString sectionName(const QString &trimmed) {
    return trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1).trimmed();
}

QString keyOf(const QString &line) {
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.left(eq).trimmed();
}
} // namespace

QString IniFile::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Orvet.ini");
}

QStringList IniFile::readLines(bool *exists) const {
    QFile f(m_path);
    if (exists)
        *exists = f.exists();
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder(Codepage);
    if (!decoder.isValid())
        throw OrvetError(QStringLiteral("Кодировка Windows-1251 недоступна"));
    const QString text = decoder.decode(f.readAll());
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString IniFile::unquoted(const QString &value) {
    if (value.size() >= 2) {
        const QChar q = value.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && value.back() == q)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

QString IniFile::quoted(const QString &value) {
    if (value.size() >= 2) {
        const QChar q = value.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && value.back() == q)
            return QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const {
    bool inSection = false;
    for (const QString &line : readLines()) {
        const QString t = line.trimmed();
        if (isSectionLine(t)) {
            inSection = sectionName(t).compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inSection && keyOf(line).compare(key, Qt::CaseInsensitive) == 0 && line.contains(QLatin1Char('='))) {
            const QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
            return unquoted(value).left(MaxValueLength);
        }
    }
    return defaultValue;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const {
    const QString text = readString(section, key, QString()).trimmed();
    if (text.isEmpty())
        return defaultValue;
    bool ok = false;
    int v = 0;
    if (text.size() > 2 && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = int(text.mid(2).toUInt(&ok, 16));
    else
        v = text.toInt(&ok, 10);
    return ok ? v : defaultValue;
}

void IniFile::writeStrings(const QString &section, const Entries &entries) {
    bool existed = false;
    QStringList lines = readLines(&existed);
    // Find the section and its last line.
    int start = -1, end = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (isSectionLine(t)) {
            if (start >= 0 && end < 0)
                end = i;
            if (start < 0 && sectionName(t).compare(section, Qt::CaseInsensitive) == 0)
                start = i;
        }
    }
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        start = int(lines.size()) - 1;
        end = int(lines.size());
    } else if (end < 0) {
        end = int(lines.size());
    }
    // Keep new keys next to the section's own lines, before any blank tail.
    int insertAt = end;
    while (insertAt - 1 > start && lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    for (const auto &[key, value] : entries) {
        const QString line = key + QLatin1Char('=') + quoted(value);
        bool replaced = false;
        for (int i = start + 1; i < insertAt; ++i)
            if (lines[i].contains(QLatin1Char('=')) && keyOf(lines[i]).compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = line;
                replaced = true;
                break;
            }
        if (!replaced)
            lines.insert(insertAt++, line);
    }

    QStringEncoder encoder(Codepage);
    if (!encoder.isValid())
        throw OrvetError(QStringLiteral("Кодировка Windows-1251 недоступна"));
    const QByteArray bytes = encoder.encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile out(m_path);
    // commit() does not see a write that fails while its buffer is flushed
    // (a full disk): it would put a torn file in place. flush() does see it.
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() || !out.commit())
        throw OrvetError(QStringLiteral("Unable to write to %1").arg(m_path));
}
