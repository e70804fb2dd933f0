#pragma once

#include <QWidget>

class TForm6 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
};
