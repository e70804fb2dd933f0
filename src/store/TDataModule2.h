#pragma once

#include <QObject>

#include <functional>
#include <memory>

class CourseDatabase;
class DataSource;
class Dataset;
class LkError;

// The course data module: the connection and the three datasets over the tables urok, jurnal and
// pas, with the data sources the data-aware controls refer to.
class TDataModule2 : public QObject
{
    Q_OBJECT
public:
    // `databaseFile` is resolved against the working directory (the course root); a server named
    // by LEKTORIKA_DATABASE takes its place.
    explicit TDataModule2(QObject* parent = nullptr,
                          const QString& databaseFile = QStringLiteral("db1.sqlite"));
    ~TDataModule2() override;

    // The opening done as the module is loaded: Turok (which opens the connection first),
    // ADOConnection1, Tjurnal, Tpas; each failure is reported on its own and loading goes on.
    void load(const std::function<void(const LkError&)>& report);
    // The creation handler: opens Turok, Tjurnal and Tpas in this order (an open table is left as
    // it is); the first failure stops it.
    void DataModuleCreate();
    // Closes Turok, Tjurnal and Tpas; a record not yet posted is dropped.
    void DataModuleDestroy();

    std::unique_ptr<CourseDatabase> ADOConnection1;
    Dataset* Turok = nullptr;
    DataSource* DSUrok = nullptr;
    Dataset* Tjurnal = nullptr;
    DataSource* DSjurnal = nullptr;
    Dataset* Tpas = nullptr;
};
