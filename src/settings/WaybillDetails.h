#pragma once

#include <QString>
#include <array>

class IniFile;

// The details the printed waybill carries beside the eleven stored values:
// the owner's registration number and telephone, the vehicle's type and
// model, the driver's licence, the people who make the daily checks and
// the kind of carriage. All text, kept in a section of their own so that
// "DataM" stays as it is.
class WaybillDetails {
public:
    enum Index {
        OGRN = 0,
        Telefon,
        TipTS,
        ModelTS,
        Udostoverenie,
        Kategoriya,
        Medrabotnik,
        Mehanik,
        VidPerevozki,
        Count
    };
    static inline const QString Section = QStringLiteral("Rekvizity");

    explicit WaybillDetails(IniFile *ini = nullptr) : m_ini(ini) {}

    // The key of a value in the settings file.
    static QString name(int index);

    QString text(int index) const { return m_values.at(index); }
    void setText(int index, const QString &text) { m_values.at(index) = text; }

    // Each value absent from the file keeps what it holds.
    void readAll();
    // All nine, in index order, in one write of the file.
    void writeAll() const;

private:
    IniFile *m_ini;
    std::array<QString, Count> m_values;
};
