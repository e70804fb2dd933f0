#include "TForm1.h"

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Обучающая система"));
    resize(993, 716);
}
