#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The settings file: Windows-1251 text with [sections] and key=value lines,
// names matched without regard to case. The file is read afresh for every
// read and replaced whole, atomically, by every write. A read that fails on
// a file that is there throws once (OrvetError); the file is then left alone.
class IniFile {
public:
    using Entries = QList<QPair<QString, QString>>;
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(const QString &path) : m_path(path) {}
    // The one settings file of the user, whatever the working directory.
    static QString defaultPath();

    QString path() const { return m_path; }
    // Removes the temporary files a write killed half-way left beside the
    // file (QSaveFile's: the file's name, a dot, six random letters).
    void removeLeftovers() const;

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // "0x"/"0X" texts longer than two characters are hexadecimal; a text that
    // is not an integer gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // The integer of a value text, by the rule of readInteger (surrounding blanks ignored).
    static int toInteger(const QString &text, bool *ok);

    // Writes the keys of one section in one atomic replacement of the file.
    // Throws OrvetError("Unable to write to <file>") when that fails, and
    // refuses a value the code page cannot hold and a file it could not read.
    void writeStrings(const QString &section, const Entries &entries);
    void writeString(const QString &section, const QString &key, const QString &value) {
        writeStrings(section, {{key, value}});
    }

    // The first character of the text that the file's code page cannot
    // hold; empty when it holds them all.
    static QString unwritable(const QString &text);
    // True once the file was found but could not be read: it is then
    // never written in this run.
    bool unreadable() const { return m_unreadable; }

    // A text that begins and ends with the same quotation mark gets one more
    // pair of double quotes, so that reading it back gives it unchanged.
    static QString quoted(const QString &value);
    static QString unquoted(const QString &value);

private:
    QStringList readLines(bool *exists = nullptr) const;

    QString m_path;
    mutable bool m_unreadable = false;
};
