#include "TDataModule2.h"

TDataModule2::TDataModule2(QObject* parent) : QObject(parent)
{
}

void TDataModule2::load(const std::function<void(const LkError&)>&)
{
}

void TDataModule2::DataModuleCreate()
{
}
