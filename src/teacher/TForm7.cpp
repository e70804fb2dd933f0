#include "TForm7.h"

TForm7::TForm7(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Ввод пароля для редактирования"));
    resize(497, 73);
}
