#pragma once

#include <QObject>

#include <functional>

class LkError;

class TDataModule2 : public QObject
{
    Q_OBJECT
public:
    explicit TDataModule2(QObject* parent = nullptr);

    void load(const std::function<void(const LkError&)>& report);
    void DataModuleCreate();
};
