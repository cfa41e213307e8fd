#pragma once

#include <QString>
#include <QStringList>
#include <array>

class IniFile;

// The details the printed waybill carries beside the eleven stored values:
// the owner's registration number and telephone, the vehicle's type and
// model, the driver's licence, the people who make the daily checks and
// the kinds of carriage and communication. All text, kept in a section of their own so that
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
        // Added by the amendment of the waybill's details.
        UdostoverenieSeriya,
        UdostoverenieData, // date of issue, "ДД.ММ.ГГГГ"
        VidSoobsheniya,    // one of Soobsheniya, or empty
        Count
    };
    static inline const QString Section = QStringLiteral("Rekvizity");
    // The kinds of communication a waybill may name.
    static inline const QStringList Soobsheniya = {QStringLiteral("городское"), QStringLiteral("пригородное"),
                                                   QStringLiteral("междугородное"),
                                                   QStringLiteral("международное")};

    explicit WaybillDetails(IniFile *ini = nullptr) : m_ini(ini) {}

    // The key of a value in the settings file.
    static QString name(int index);

    QString text(int index) const { return m_values.at(index); }
    void setText(int index, const QString &text) { m_values.at(index) = text; }

    // Each value absent from the file keeps what it holds.
    void readAll();
    // All of them, in index order, in one write of the file.
    void writeAll() const;

private:
    IniFile *m_ini;
    std::array<QString, Count> m_values;
};
