#include "settings/IniFile.h"

#include "core/OrvetError.h"
#include "core/SaveLeftovers.h"

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

void IniFile::removeLeftovers() const { SaveLeftovers::remove(m_path); }

// A file that is there but cannot be read is reported once; its values
// are then taken as absent for the rest of the run, and no write may
// replace it with only the keys the program knows about.
QStringList IniFile::readLines(bool *exists) const {
    QFile f(m_path);
    // A folder in the file's place holds no settings; writing there fails.
    const bool there = QFileInfo(m_path).isFile();
    if (exists)
        *exists = there;
    if (!there || m_unreadable)
        return {};
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    if (!f.isOpen() || f.error() != QFileDevice::NoError) {
        m_unreadable = true;
        throw OrvetError(QStringLiteral("Не удалось прочитать файл настроек %1: %2. Сохранённые настройки "
                                        "не загружены, и до выхода из программы файл не будет перезаписан.")
                             .arg(QDir::toNativeSeparators(m_path), f.errorString()));
    }
    // Saved by an editor that marks its UTF-8: the mark must not hide the
    // first section, and the text is read as what it is.
    static const QByteArray Utf8Mark("\xEF\xBB\xBF");
    QString text;
    if (bytes.startsWith(Utf8Mark)) {
        text = QString::fromUtf8(bytes.mid(Utf8Mark.size()));
    } else {
        QStringDecoder decoder(Codepage);
        if (!decoder.isValid())
            throw OrvetError(QStringLiteral("Кодировка Windows-1251 недоступна"));
        text = decoder.decode(bytes);
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString IniFile::unwritable(const QString &text) {
    QStringEncoder encoder(Codepage);
    QStringDecoder decoder(Codepage);
    if (!encoder.isValid() || !decoder.isValid())
        return QString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, length);
        const QString back = decoder.decode(encoder.encode(one));
        if (back != one)
            return one;
        i += length - 1;
    }
    return QString();
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

int IniFile::toInteger(const QString &value, bool *ok) {
    const QString text = value.trimmed();
    if (text.size() > 2 && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return int(text.mid(2).toUInt(ok, 16));
    return text.toInt(ok, 10);
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const {
    bool ok = false;
    const int v = toInteger(readString(section, key, QString()), &ok);
    return ok ? v : defaultValue;
}

void IniFile::writeStrings(const QString &section, const Entries &entries) {
    if (m_unreadable)
        throw OrvetError(QStringLiteral("Файл настроек %1 не удалось прочитать, поэтому изменения в него не "
                                        "записаны: иначе сохранённые в нём настройки были бы потеряны.")
                             .arg(QDir::toNativeSeparators(m_path)));
    for (const auto &[key, value] : entries)
        if (const QString c = unwritable(value); !c.isEmpty())
            throw OrvetError(QStringLiteral("Символ «%1» нельзя сохранить в файле настроек (%2)").arg(c, key));
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
