#include "TForm6.h"

TForm6::TForm6(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral(""));
    resize(712, 390);
}
