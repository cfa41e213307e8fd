#pragma once

// December 2024 as the program composes it: trips on working days, nothing
// on weekends, the odometer chained, fuel at 9.57 l per 100 km; with the
// answers a clerk's settings give the template's variables. Shared by the
// export tests and the report benchmark.
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"

#include <QDate>
#include <QHash>
#include <QStringList>

struct SampleWaybill {
    ListDataSource frd1{QStringLiteral("FRD1"),
                        {"ID", "DATE", "NUMBL", "YEAR", "MOUNTH", "PROBB", "PROBE", "SUMRUB", "SUMLITR"}};
    ListDataSource frd2{
        QStringLiteral("FRD2"),
        {"ID", "IDJOIN", "CHISLO", "CEL", "VROUT", "VRIN", "SPROBS", "SPROBE", "PROB", "RASHOD"}};

    QHash<QString, QString> values = {{"Org", "ООО «Ромашка»"},
                                      {"OrgAdress", "г. Тверь, ул. Советская, д. 1"},
                                      {"MarkAuto", "ВАЗ-21074"},
                                      {"GosNumberAuto", "А123ВС 69"},
                                      {"Voditel", "Петров П.П."},
                                      {"Buhgalter", "Сидорова А.В."},
                                      {"Utverjdau", "Иванов И.И."},
                                      {"LitrNa100", "9,57"},
                                      {"DateAKT", "31 декабря 2024 г."},
                                      {"Proveril", "Главный бухгалтер"},
                                      {"OGRN", "1026900512345"},
                                      {"OrgTelefon", "+7 (4822) 12-34-56"},
                                      {"TipAuto", "легковой автомобиль"},
                                      {"ModelAuto", "2107"},
                                      {"VodUdost", "69 12 345678"},
                                      {"VodKategoriya", "B"},
                                      {"Medrabotnik", "Смирнова Е.В."},
                                      {"Mehanik", "Кузнецов А.Н."},
                                      {"VidPerevozki", "перевозка для собственных нужд"},
                                      {"VodUdostSeriya", "69 12"},
                                      {"VodUdostData", "15.03.2021"},
                                      {"VidSoobsheniya", "городское"},
                                      {"DateFrom", "01.12.2024"},
                                      {"DateTo", "31.12.2024"},
                                      {"BakVyezd", "12,5"},
                                      {"BakVozvrat", "8"},
                                      {"NormaOsnovanie", "Норма 8,7 л/100 км; надбавки: зимняя 10 % — 9,57 л/100 км"}};

    SampleWaybill() {
        const QStringList trips = {"Администрация района", "Налоговая инспекция", "Банк, отделение № 8603",
                                   "Поставщик ООО «Стройкомплект»"};
        const double km[] = {42.5, 18, 27.3, 35};
        double odometer = 45210, litres = 0;
        int working = 0;
        for (int day = 1; day <= 31; ++day) {
            const bool off = QDate(2024, 12, day).dayOfWeek() >= 6;
            const double distance = off ? 0 : km[working % 4];
            const double fuel = qRound(distance * 9.57) / 100.0;
            frd2.appendRow({day, 1, QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')),
                            off ? QString() : trips[working % 4], off ? QString() : QStringLiteral("09:00"),
                            off ? QString() : QStringLiteral("18:00"), odometer, odometer + distance,
                            distance, fuel});
            working += off ? 0 : 1;
            odometer += distance;
            litres += fuel;
        }
        frd1.appendRow({1, QDate(2024, 12, 1), "12", "2024", "Декабрь", 45210.0, odometer, 5634.5, litres});
    }
    SampleWaybill(const SampleWaybill &) = delete;
    SampleWaybill &operator=(const SampleWaybill &) = delete;

    // The template loaded into `engine` with the sample's rows and answers,
    // as the print command binds a stored waybill.
    void bind(ReportEngine &engine, const QString &templateFile) {
        engine.loadFromFile(templateFile);
        engine.setTitle(QStringLiteral("Путевой лист № 12"));
        engine.registerDataSource(&frd1);
        engine.registerDataSource(&frd2);
        engine.setVariableHandler([this](const QString &name, QVariant &value) {
            if (values.contains(name))
                value = values.value(name);
        });
    }
};
