#pragma once

#include <QWidget>

class TForm13 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);
};
