#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The settings file: Windows-1251 text with [sections] and key=value lines,
// names matched without regard to case. The file is read afresh for every
// read and replaced whole, atomically, by every write.
class IniFile {
public:
    using Entries = QList<QPair<QString, QString>>;
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(const QString &path) : m_path(path) {}
    // The one settings file of the user, whatever the working directory.
    static QString defaultPath();

    QString path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // "0x"/"0X" texts longer than two characters are hexadecimal; a text that
    // is not an integer gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Writes the keys of one section in one atomic replacement of the file.
    // Throws OrvetError("Unable to write to <file>") when that fails.
    void writeStrings(const QString &section, const Entries &entries);
    void writeString(const QString &section, const QString &key, const QString &value) {
        writeStrings(section, {{key, value}});
    }

    // A text that begins and ends with the same quotation mark gets one more
    // pair of double quotes, so that reading it back gives it unchanged.
    static QString quoted(const QString &value);
    static QString unquoted(const QString &value);

private:
    QStringList readLines(bool *exists = nullptr) const;

    QString m_path;
};
