#include "TForm3.h"
#include "ui_TForm3.h"

#include "ImageView.h"

#include <QScreen>

TForm3::TForm3(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm3>())
{
    ui->setupUi(this);
    // A title bar with the system menu and the close box only, a sizeable border, on top.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    resize(287, 182);
}

TForm3::~TForm3() = default;

ImageView* TForm3::image() const
{
    return ui->Image1;
}

void TForm3::setPicture(const Picture& picture)
{
    ui->Image1->setPicture(picture);
}

void TForm3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}
