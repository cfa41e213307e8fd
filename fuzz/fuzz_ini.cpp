// The settings file reader and writer over any bytes in the file.
// Whatever the file holds, reading never fails, and what is written is
// read back as written while every other key keeps what it read before.
#include "core/OrvetError.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {
const QString Sections[] = {QStringLiteral("DataM"), QStringLiteral("MainF"), QStringLiteral("Orvet_New_F")};
const QString Keys[] = {QStringLiteral("Organizaciya"), QStringLiteral("Rashodna100km"),
                        QStringLiteral("Winter"),       QStringLiteral("NormPos"),
                        QStringLiteral("ShowCmd"),      QStringLiteral("Panel1_Width")};
const QString Missing = QStringLiteral("\x01missing");

QTemporaryDir &folder() {
    static QTemporaryDir dir;
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = folder().filePath(QStringLiteral("Orvet.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    IniFile ini(path);
    QString before[3][6];
    for (int s = 0; s < 3; ++s)
        for (int k = 0; k < 6; ++k) {
            before[s][k] = ini.readString(Sections[s], Keys[k], Missing);
            if (before[s][k].size() > IniFile::MaxValueLength && before[s][k] != Missing)
                abort();
            ini.readInteger(Sections[s], Keys[k], -7);
        }

    // A value with quotes, Cyrillic and blanks inside: it must come back as written.
    const QString value = QStringLiteral("\"ООО «Ромашка» 1\"");
    try {
        ini.writeStrings(Sections[0], {{Keys[0], value}, {Keys[2], QStringLiteral("-1")}});
    } catch (const OrvetError &) {
        abort(); // the temporary folder is always writable
    }
    if (ini.readString(Sections[0], Keys[0], Missing) != value ||
        ini.readString(Sections[0], Keys[2], Missing) != QLatin1String("-1"))
        abort();
    // Bytes that Windows-1251 does not define come back as '?'; the rest as read.
    for (int s = 1; s < 3; ++s)
        for (int k = 0; k < 6; ++k)
            if (!before[s][k].contains(QChar::ReplacementCharacter) &&
                ini.readString(Sections[s], Keys[k], Missing) != before[s][k])
                abort();
    return 0;
}
