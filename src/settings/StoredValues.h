#pragma once

#include <QString>
#include <QVariant>
#include <array>

class IniFile;

// The eleven stored values of section "DataM", addressed by index. A value
// read from the file is held as text and converted where it is used.
class StoredValues {
public:
    enum Index {
        Organizaciya = 0,
        Adress,
        MarkaAvto,
        GosNomer,
        Voditel,
        Utvejdaushiy,
        Rashodna100km,
        Winter,
        StartoviyProbeg,
        GlavBuh,
        Proveril,
        Count
    };
    static inline const QString Section = QStringLiteral("DataM");

    explicit StoredValues(IniFile *ini = nullptr);

    void setIniFile(IniFile *ini) { m_ini = ini; }
    static QString name(int index);
    static QVariant defaultValue(int index);

    QVariant value(int index) const { return m_values.at(index); }
    void setValue(int index, const QVariant &v) { m_values.at(index) = v; }

    QString text(int index) const;
    // Throw OrvetError("Invalid variant type conversion") when the held
    // text is not a number or a flag.
    double number(int index) const;
    bool flag(int index) const;
    // 1.1 in winter mode, else 1.0.
    double winterFactor() const { return flag(Winter) ? 1.1 : 1.0; }
    double norm() const { return number(Rashodna100km); }

    // Each value absent from the file keeps what it holds.
    void readAll();
    // All eleven, in index order, in one write of the file.
    void writeAll() const;

    // The text a value is written as: numbers in the locale's general form,
    // flags as -1 and 0.
    static QString valueText(const QVariant &v);
    static double toNumber(const QVariant &v);
    static bool toFlag(const QVariant &v);

private:
    IniFile *m_ini;
    std::array<QVariant, Count> m_values;
};
