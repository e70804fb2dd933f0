#include "TForm7.h"
#include "ui_TForm7.h"

#include "app/Globals.h"
#include "app/Guard.h"
#include "app/MessageBoxes.h"
#include "store/TDataModule2.h"
#include "teacher/PasswordCheck.h"
#include "viewer/TForm1.h"

#include <QAction>
#include <QKeyEvent>

TForm7::TForm7(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      ui(std::make_unique<Ui::TForm7>())
{
    ui->setupUi(this);
    setModal(false);
    setLowerPanelVisible(false);

    connect(ui->Button1, &QPushButton::clicked, this, guarded(this, &TForm7::Button1Click));
    connect(ui->Button2, &QPushButton::clicked, this, guarded(this, &TForm7::Button2Click));
    connect(ui->Button3, &QPushButton::clicked, this, guarded(this, &TForm7::Button3Click));
}

TForm7::~TForm7() = default;

bool TForm7::passwordMatches() const
{
    return PasswordCheck::check(*DataModule2->Tpas, ui->Edit1->text());
}

void TForm7::setLowerPanelVisible(bool visible)
{
    ui->Panel2->setVisible(visible);
    // The dialog is as high as its visible panels.
    setFixedSize(ui->Panel1->width(), ui->Panel1->height() + (visible ? ui->Panel2->height() : 0));
}

void TForm7::Button1Click()
{
    const bool match = passwordMatches();
    Form1->menuItem(QStringLiteral("N1"))->setVisible(match);
    if (!match)
        MessageBoxes::plain(QStringLiteral("Пароль неверный"));
    hide();
}

void TForm7::Button2Click()
{
    if (passwordMatches())
        setLowerPanelVisible(true);
    else
        MessageBoxes::plain(QStringLiteral("Пароль неверный"));
}

void TForm7::Button3Click()
{
    if (ui->Edit2->text() == ui->Edit3->text()) {
        PasswordCheck::store(*DataModule2->Tpas, ui->Edit2->text());
        MessageBoxes::plain(QStringLiteral("Пароль успешно изменен"));
    } else {
        MessageBoxes::plain(QStringLiteral("Пароли не совпадают"));
    }
    setLowerPanelVisible(false);
    hide();
}

void TForm7::keyPressEvent(QKeyEvent* event)
{
    // The dialog has no cancel button: Esc does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
