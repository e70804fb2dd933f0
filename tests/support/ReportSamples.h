#pragma once

#include "teacher/JournalSnapshot.h"

#include <QDateTime>
#include <QStringList>

#include <memory>

// Journal views made up for the report tests: Cyrillic names, groups and topics that repeat
// the way a class's records do.
namespace ReportSamples {

inline const QStringList& names()
{
    static const QStringList list = {
        QStringLiteral("Иванов Иван Иванович"),
        QStringLiteral("Петрова Мария Сергеевна"),
        QStringLiteral("Сидоренко Константин Алексеевич"),
        QStringLiteral("Кузнецова Анна Павловна"),
        QStringLiteral("Смирнов Дмитрий Олегович"),
        QStringLiteral("Волкова Екатерина Игоревна"),
        QStringLiteral("Новиков Артём Романович"),
        QStringLiteral("Морозова Дарья Андреевна"),
    };
    return list;
}

inline const QStringList& topics()
{
    static const QStringList list = {
        QStringLiteral("Введение в информатику"),
        QStringLiteral("Кодирование информации"),
        QStringLiteral("Алгоритмы и исполнители"),
        QStringLiteral("Электронные таблицы: формулы и диаграммы"),
        QStringLiteral("Компьютерные сети и Интернет"),
    };
    return list;
}

// Row i: a name, a group, a topic, a score and a date, all varying with i.
inline JournalSnapshot::Values values(int i)
{
    return {names().at(i % names().size()), QStringLiteral("ИТ-%1").arg(11 + i % 4),
            topics().at((i / 3) % topics().size()), (i * 37) % 101,
            QDateTime(QDate(2024, 9, 2).addDays(i / 5), QTime(0, 0))};
}

inline std::shared_ptr<JournalSnapshot> journal(int rows)
{
    auto snapshot = std::make_shared<JournalSnapshot>();
    snapshot->reserve(rows);
    for (int i = 0; i < rows; ++i)
        snapshot->append(values(i));
    return snapshot;
}

} // namespace ReportSamples
