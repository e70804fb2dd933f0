#include "TForm3.h"

TForm3::TForm3(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Графическое изображение"));
    resize(287, 182);
}
