#include "TForm13.h"

#include "store/DateValue.h"
#include "ui_TForm13.h"

#include "app/Globals.h"
#include "app/Guard.h"
#include "store/CoursePath.h"
#include "store/Dataset.h"
#include "store/TDataModule2.h"
#include "testing/TForm5.h"
#include "viewer/TForm1.h"

#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

namespace {

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);

void setPixelSize(QWidget* widget, int pixels)
{
    QFont font = widget->font();
    font.setPixelSize(pixels);
    widget->setFont(font);
}

// Buttons mark their state by the colour of their caption. A disabled button keeps the style's
// grey, so the numbers beyond the run's questions look disabled.
void setCaptionColour(QAbstractButton* button, const QColor& colour)
{
    QPalette palette = button->palette();
    if (palette.color(QPalette::Active, QPalette::ButtonText) == colour &&
        palette.color(QPalette::Inactive, QPalette::ButtonText) == colour)
        return;
    palette.setColor(QPalette::Active, QPalette::ButtonText, colour);
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
    button->setPalette(palette);
}

// The course root, held by the main window; a test window without one (tried out on its own)
// takes the working directory, as the main window does at start-up.
QString courseRoot()
{
    return Form1 != nullptr ? Form1->courseRoot() : CoursePath::currentRoot();
}

} // namespace

TForm13::TForm13(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TForm13>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    // Times New Roman, 11 pixels for the window; the panel's own controls are larger.
    setPixelSize(this, 11);
    setPixelSize(ui->Label1, 19);
    ui->Label1->adjustSize();
    setPixelSize(ui->BitBtn41, 13);
    setPixelSize(ui->BitBtn42, 13);

    m_optionButtons = {ui->BitBtn43, ui->BitBtn44, ui->BitBtn45, ui->BitBtn46, ui->BitBtn47};
    for (QAbstractButton* option : m_optionButtons)
        setPixelSize(option, 19);

    // The number buttons' names do not follow their captions; the caption is the slot.
    const auto numberButtons = ui->Panel2->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : numberButtons) {
        const int k = button->text().toInt();
        Q_ASSERT(k >= 1 && k <= TestRun::SlotCount);
        m_numberButtons[static_cast<std::size_t>(k - 1)] = button;
        connect(button, &QAbstractButton::clicked, this,
                guarded([this, button] { BitBtn1Click(button); }));
    }
    ui->Panel2->setVisible(false);

    connect(ui->BitBtn41, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn41Click));
    connect(ui->BitBtn42, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn42Click));
    connect(ui->BitBtn43, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn43Click));
    connect(ui->BitBtn44, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn44Click));
    connect(ui->BitBtn45, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn45Click));
    connect(ui->BitBtn46, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn46Click));
    connect(ui->BitBtn47, &QAbstractButton::clicked, this, guarded(this, &TForm13::BitBtn47Click));

    // Three status panels: 60 and 50 pixels, the last one to the right edge.
    const int widths[] = {60, 50, 0};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(ui->StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        if (widths[i] > 0)
            panel->setFixedWidth(widths[i]);
        ui->StatusBar1->addWidget(panel, widths[i] > 0 ? 0 : 1);
        m_statusPanels[static_cast<std::size_t>(i)] = panel;
    }

    // The clock runs from creation on, also while the window is hidden.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, guarded(this, &TForm13::Timer1Timer));
    Timer1->start();

    showRunState();
}

TForm13::~TForm13() = default;

void TForm13::BitBtn41Click()
{
    // Whatever the reading gives, the controls show the cleared or the new run.
    struct ShowAfterwards
    {
        TForm13* form;
        ~ShowAfterwards() { form->showRunState(); }
    } showAfterwards{this};

    m_run.start(courseRoot(), [] { return DataModule2->Turok->value(QStringLiteral("test")); });
}

void TForm13::BitBtn1Click(QObject* Sender)
{
    const auto* button = qobject_cast<QAbstractButton*>(Sender);
    if (button == nullptr || !m_run.openSlot(button->text().toInt()))
        return;
    showRunState();
    m_lastNavigated = CoursePath::toLocal(m_run.currentPagePath());
    ui->WebBrowser1->setUrl(QUrl::fromLocalFile(m_lastNavigated));
}

void TForm13::BitBtn43Click()
{
    optionClick(1);
}

void TForm13::BitBtn44Click()
{
    optionClick(2);
}

void TForm13::BitBtn45Click()
{
    optionClick(3);
}

void TForm13::BitBtn46Click()
{
    optionClick(4);
}

void TForm13::BitBtn47Click()
{
    optionClick(5);
}

void TForm13::optionClick(int option)
{
    m_run.chooseOption(option);
    showRunState();
}

void TForm13::BitBtn42Click()
{
    const TestRun::FinishOutcome outcome = m_run.finish();
    showRunState();
    if (outcome != TestRun::FinishOutcome::NoRun && Form5 != nullptr)
        Form5->showResult();
}

void TForm13::Timer1Timer()
{
    m_statusPanels[0]->setText(DateValue::shortDate(QDate::currentDate()));
    m_statusPanels[1]->setText(DateValue::longTime(QTime::currentTime()));
}

QAbstractButton* TForm13::numberButton(int k) const
{
    if (k < 1 || k > TestRun::SlotCount)
        return nullptr;
    return m_numberButtons[static_cast<std::size_t>(k - 1)];
}

QString TForm13::statusPanelText(int panel) const
{
    return m_statusPanels.at(static_cast<std::size_t>(panel))->text();
}

void TForm13::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        // Centred on the desktop when first shown.
        if (QScreen* desktop = screen())
            move(desktop->geometry().center() - frameGeometry().center() + pos());
    }
}

void TForm13::showRunState()
{
    ui->Panel2->setVisible(m_run.isRunning());
    ui->BitBtn41->setEnabled(!m_run.isRunning());
    for (int k = 1; k <= TestRun::SlotCount; ++k) {
        QAbstractButton* button = numberButton(k);
        setCaptionColour(button, m_run.numberButtonRed(k) ? Red : Black);
        button->setEnabled(m_run.numberButtonEnabled(k));
    }
    for (int k = 1; k <= TestRun::OptionCount; ++k)
        setCaptionColour(m_optionButtons[static_cast<std::size_t>(k - 1)],
                         m_run.optionRed(k) ? Red : Black);
}
