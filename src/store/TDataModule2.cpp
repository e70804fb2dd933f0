#include "TDataModule2.h"

#include "CourseDatabase.h"
#include "DataSource.h"
#include "Dataset.h"
#include "LkError.h"

TDataModule2::TDataModule2(QObject* parent, const QString& databaseFile)
    : QObject(parent), ADOConnection1(CourseDatabase::forCourse(databaseFile))
{
    Turok =
        new Dataset(QStringLiteral("Turok"), QStringLiteral("urok"), ADOConnection1.get(), this);
    DSUrok = new DataSource(Turok, this);
    Tjurnal = new Dataset(QStringLiteral("Tjurnal"), QStringLiteral("jurnal"), ADOConnection1.get(),
                          this);
    Tjurnal->setFieldSpecs({
        {QStringLiteral("код"), FieldKind::AutoInc, 0},
        {QStringLiteral("urok"), FieldKind::WideString, 250},
        {QStringLiteral("data"), FieldKind::DateTime, 0},
        {QStringLiteral("ocenka"), FieldKind::Integer, 0},
        {QStringLiteral("fio"), FieldKind::WideString, 50},
        {QStringLiteral("gruppa"), FieldKind::WideString, 50},
    });
    DSjurnal = new DataSource(Tjurnal, this);
    Tpas = new Dataset(QStringLiteral("Tpas"), QStringLiteral("pas"), ADOConnection1.get(), this);
    setObjectName(QStringLiteral("DataModule2"));
    Turok->setObjectName(QStringLiteral("Turok"));
    DSUrok->setObjectName(QStringLiteral("DSUrok"));
    Tjurnal->setObjectName(QStringLiteral("Tjurnal"));
    DSjurnal->setObjectName(QStringLiteral("DSjurnal"));
    Tpas->setObjectName(QStringLiteral("Tpas"));
}

TDataModule2::~TDataModule2()
{
    DataModuleDestroy();
}

void TDataModule2::load(const std::function<void(const LkError&)>& report)
{
    const std::function<void()> steps[] = {
        [this] { Turok->open(); },
        [this] { ADOConnection1->open(); },
        [this] { Tjurnal->open(); },
        [this] { Tpas->open(); },
    };
    for (const auto& step : steps) {
        try {
            step();
        } catch (const LkError& e) {
            report(e);
        }
    }
}

void TDataModule2::DataModuleCreate()
{
    Turok->open();
    Tjurnal->open();
    Tpas->open();
}

void TDataModule2::DataModuleDestroy()
{
    Turok->close();
    Tjurnal->close();
    Tpas->close();
}
