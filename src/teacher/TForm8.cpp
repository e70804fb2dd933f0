#include "TForm8.h"

TForm8::TForm8(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral(""));
    resize(100, 100);
}
