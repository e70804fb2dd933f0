#include "TForm5.h"
#include "ui_TForm5.h"

#include "Grade.h"
#include "TForm13.h"
#include "app/Globals.h"
#include "app/Guard.h"
#include "app/TForm6.h"
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/TDataModule2.h"

#include <QScreen>
#include <QShowEvent>

namespace {
// MS Sans Serif is not found off Windows; Liberation Sans keeps the texts within the places the
// layout gives them (the system's default sans face is too wide for the red values).
void setBoldPixels(QWidget* widget, int pixels)
{
    QFont font = widget->font();
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setBold(true);
    font.setPixelSize(pixels);
    widget->setFont(font);
}
} // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm5>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(486, 232);

    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3}) {
        setBoldPixels(label, 24);
        label->adjustSize();
    }
    for (QLabel* label : {ui->Label4, ui->Label5, ui->Label6})
        setBoldPixels(label, 24);
    setBoldPixels(ui->Button1, 16);

    connect(ui->Button1, &QPushButton::clicked, this, guarded(this, &TForm5::Button1Click));
}

TForm5::~TForm5() = default;

void TForm5::FormActivate()
{
    const TestRun& run = Form13->run();
    const Grade grade = Grade::of(run.right(), run.wrong());
    ui->Label4->setText(QString::number(run.right()));
    ui->Label5->setText(QString::number(grade.percent));
    ui->Label6->setText(QString::number(grade.grade));
}

void TForm5::Button1Click()
{
    Form13->close();

    // One grade record per counted run, and none when there is no count to report.
    TestRun& run = Form13->run();
    const QString name = Form6->studentName();
    if (!name.isEmpty() && run.gradeRecordDue()) {
        Dataset* journal = DataModule2->Tjurnal;
        journal->insert();
        journal->setValue(QStringLiteral("data"), DateValue::today());
        journal->setValue(QStringLiteral("fio"), name);
        journal->setValue(QStringLiteral("gruppa"), Form6->studentGroup());
        journal->setValue(QStringLiteral("urok"),
                          DataModule2->Turok->value(QStringLiteral("urok")));
        journal->setValue(QStringLiteral("ocenka"),
                          int(Grade::of(run.right(), run.wrong()).percent));
        journal->post();
        run.markGradeRecorded();
    }

    close();
}

void TForm5::showResult()
{
    show();
    raise();
    activateWindow();
    // Activation is not delivered on every platform (offscreen, some window managers), so the
    // values are set here as well.
    runGuarded([this] { FormActivate(); });
}

bool TForm5::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        runGuarded([this] { FormActivate(); });
    return QDialog::event(event);
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        // Centred on the desktop when first shown.
        if (QScreen* desktop = screen())
            move(desktop->geometry().center() - frameGeometry().center() + pos());
    }
}
