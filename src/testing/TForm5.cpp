#include "TForm5.h"

TForm5::TForm5(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Результат тестирования"));
    resize(486, 232);
}
