#include "TForm13.h"

TForm13::TForm13(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Тестирование"));
    resize(1009, 576);
}
