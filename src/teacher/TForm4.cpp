#include "TForm4.h"

TForm4::TForm4(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Редактирование  уроков"));
    resize(777, 601);
}
