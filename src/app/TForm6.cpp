#include "TForm6.h"
#include "ui_TForm6.h"

#include "Globals.h"
#include "Guard.h"
#include "Icons.h"
#include "viewer/TForm1.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace {
// The one drag state of the program: set while a mouse button is down on the picture, with the
// point of the picture that was grabbed.
struct DragState
{
    int flag = 0;
    int x = 0;
    int y = 0;
};
DragState drag;

const QRgb TransparentColour = qRgb(255, 0, 0);

// The skin with every pixel of exactly the transparent colour made fully transparent.
QImage transparentSkin(const QImage& skin)
{
    QImage image = skin.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == TransparentColour)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}
} // namespace

TForm6::TForm6(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TForm6>())
{
    ui->setupUi(this);
    // Pixels of exactly pure red are not drawn: per-pixel transparency where the window system
    // composites, and a window shape cut from the same picture where it does not.
    setAttribute(Qt::WA_TranslucentBackground);
    const QImage skin = Icons::skin();
    ui->Image1->setPixmap(QPixmap::fromImage(transparentSkin(skin)));
    ui->Image1->resize(skin.size());
    setFixedSize(skin.size());
    // In the mono image the matching pixels get index 1, which a bitmap reads as background.
    setMask(QBitmap::fromImage(skin.convertToFormat(QImage::Format_RGB32)
                                   .createMaskFromColor(TransparentColour, Qt::MaskInColor)));

    // MS Sans Serif, bold, 13-pixel characters (the font system substitutes a near face).
    for (auto* edit : {ui->Edit1, ui->Edit2}) {
        QFont font = edit->font();
        font.setPixelSize(13);
        edit->setFont(font);
    }
    // The name box gets the focus whenever the window becomes active for the first time.
    ui->Edit1->setFocus();

    ui->Image1->installEventFilter(this);
    ui->Image2->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, guarded(this, &TForm6::Timer1Timer));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    connect(Timer2, &QTimer::timeout, this, guarded(this, &TForm6::Timer2Timer));

    // The window exists at once, hidden and fully transparent, and the fade-in runs from now on.
    applyFade();
    winId();
    Timer1->start();
}

TForm6::~TForm6() = default;

QString TForm6::studentName() const
{
    return ui->Edit1->text();
}

QString TForm6::studentGroup() const
{
    return ui->Edit2->text();
}

int TForm6::fadeValue() const
{
    return m_fade.value();
}

void TForm6::applyFade()
{
    setWindowOpacity(m_fade.value() / 255.0);
}

void TForm6::Timer1Timer()
{
    m_fade.fadeInTick();
    applyFade();
    if (!m_fade.fadeInRunning())
        Timer1->stop();
}

void TForm6::Timer2Timer()
{
    const bool handOver = m_fade.fadeOutTick();
    Timer1->stop();
    applyFade();
    if (handOver) {
        if (Form1)
            Form1->showMaximized();
        hide();
        m_fade.finishFadeOut();
        Timer2->stop();
    }
}

void TForm6::Image2Click()
{
    m_fade.enter();
    // Restarting a running timer would shift its ticks; a second click must change nothing.
    if (!Timer2->isActive())
        Timer2->start();
}

void TForm6::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    drag.flag = 1;
    drag.x = x;
    drag.y = y;
}

void TForm6::Image1MouseMove(Qt::KeyboardModifiers, int x, int y)
{
    if (drag.flag == 1) {
        move(this->x() + x - drag.x, this->y() + y - drag.y);
    }
}

void TForm6::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    drag.flag = 0;
}

bool TForm6::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseMove || type == QEvent::MouseButtonDblClick;
    if (!mouse)
        return QWidget::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    const QPoint at = me->position().toPoint();

    if (watched == ui->Image1) {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            guarded([this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
                Image1MouseDown(b, s, x, y);
            })(me->button(), me->modifiers(), at.x(), at.y());
            break;
        case QEvent::MouseMove:
            guarded([this](Qt::KeyboardModifiers s, int x, int y) { Image1MouseMove(s, x, y); })(
                me->modifiers(), at.x(), at.y());
            break;
        default:
            guarded([this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
                Image1MouseUp(b, s, x, y);
            })(me->button(), me->modifiers(), at.x(), at.y());
            break;
        }
        return true;
    }

    if (watched == ui->Image2) {
        // A click: the left button pressed and released over the hot spot.
        if (me->button() == Qt::LeftButton) {
            if (type == QEvent::MouseButtonPress) {
                m_hotSpotPressed = true;
            } else if (type == QEvent::MouseButtonRelease) {
                const bool click = m_hotSpotPressed && ui->Image2->rect().contains(at);
                m_hotSpotPressed = false;
                if (click)
                    guarded(this, &TForm6::Image2Click)();
            }
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm6::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (QScreen* s = screen())
            move(s->geometry().center() - rect().center());
    }
}

void TForm6::closeEvent(QCloseEvent* event)
{
    // The opening screen is the application's main window: closing it ends the program.
    event->accept();
    QCoreApplication::quit();
}
