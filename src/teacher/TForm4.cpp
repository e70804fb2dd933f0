#include "TForm4.h"
#include "ui_TForm4.h"

#include "app/AppTitle.h"
#include "app/FileDialogs.h"
#include "app/Globals.h"
#include "app/Guard.h"
#include "store/DataSource.h"
#include "store/Dataset.h"
#include "store/TDataModule2.h"
#include "teacher/JournalDeletes.h"
#include "teacher/JournalFilter.h"
#include "teacher/LessonEditor.h"
#include "teacher/TForm8.h"
#include "viewer/TForm1.h"

#include <QProgressDialog>
#include <QScreen>

#include <climits>

namespace {
// One row of the lesson editor: the media field, the dialog's filter, and whether the dialog
// previews pictures.
struct FileRow
{
    const char* field;
    const char* filter;
    bool picture;
};

const FileRow FileRows[7] = {
    {"htm", "HTML документы|*.htm;*.mht;*.html|Все файлы|*.*", false},
    {"jpg", "Рисунки|*.jpg;*.bmp;*.wmf;*.ico|Все файлы|*.*", true},
    {"avi", "Видио|*.avi;*.mp4|Все файлы|*.*", false},
    {"test", "Test|*.htm;*.txt|Все файлы|*.*", false},
    {"mid", "Музыка|*.mid;*.kar;*.wav;*.mp3|Все файлы|*.*", false},
    {"wav", "Музыка|*.mid;*.kar;*.wav;*.mp3|Все файлы|*.*", false},
    {"exe", "Программы|*.exe|Все файлы|*.*", false},
};

QPalette withButtonFaceBase(QPalette palette)
{
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    return palette;
}
} // namespace

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::TForm4>())
{
    ui->setupUi(this);
    setFixedSize(777, 601);

    // The lesson's file boxes and its grid are grey; the journal's grid is white.
    for (DBEdit* edit : fileBoxes())
        edit->setPalette(withButtonFaceBase(edit->palette()));
    ui->DBGrid5->setPalette(withButtonFaceBase(ui->DBGrid5->palette()));

    using B = DBNavigator::Button;
    ui->DBNavigator7->setVisibleButtons(
        {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post, B::Cancel, B::Refresh});

    QPushButton* choose[7] = {ui->Button13, ui->Button14, ui->Button15, ui->Button16,
                              ui->Button17, ui->Button18, ui->Button19};
    QPushButton* clear[7] = {ui->BitBtn1, ui->BitBtn2, ui->BitBtn3, ui->BitBtn4,
                             ui->BitBtn5, ui->BitBtn6, ui->BitBtn7};
    for (int row = 0; row < 7; ++row) {
        connect(choose[row], &QPushButton::clicked, this,
                guarded([this, row] { chooseFile(row); }));
        connect(clear[row], &QPushButton::clicked, this, guarded([this, row] { clearFile(row); }));
    }
    connect(ui->Button10, &QPushButton::clicked, this, guarded(this, &TForm4::Button10Click));
    connect(ui->Button11, &QPushButton::clicked, this, guarded(this, &TForm4::Button11Click));
    connect(ui->Button1, &QPushButton::clicked, this, guarded(this, &TForm4::Button1Click));
    connect(ui->Button12, &QPushButton::clicked, this, guarded(this, &TForm4::Button12Click));

    connect(ui->CheckBox1, &QCheckBox::toggled, this, guarded(this, &TForm4::CheckBox1Click));
    connect(ui->Edit1, &QLineEdit::textChanged, this, guarded(this, &TForm4::Edit1Change));
    connect(ui->Edit2, &QLineEdit::textChanged, this, guarded(this, &TForm4::Edit1Change));
    connect(ui->Button20, &QPushButton::clicked, this, guarded(this, &TForm4::Button20Click));
    connect(ui->Button21, &QPushButton::clicked, this, guarded(this, &TForm4::Button21Click));
    connect(ui->Button2, &QPushButton::clicked, this, guarded(this, &TForm4::Button2Click));
    connect(ui->ButtonCsv, &QPushButton::clicked, this, guarded(this, &TForm4::ButtonCsvClick));
}

TForm4::~TForm4() = default;

std::array<DBEdit*, 7> TForm4::fileBoxes() const
{
    return {ui->DBEdit1, ui->DBEdit2, ui->DBEdit3, ui->DBEdit4,
            ui->DBEdit5, ui->DBEdit6, ui->DBEdit7};
}

void TForm4::bindData()
{
    if (m_bound || !DataModule2)
        return;
    m_bound = true;
    DataSource* lessons = DataModule2->DSUrok;
    DataSource* journal = DataModule2->DSjurnal;
    m_editor = std::make_unique<LessonEditor>(*lessons->dataset(), Form1->topicTree());

    ui->DBText1->setDataSource(lessons, QStringLiteral("urok"));
    const auto edits = fileBoxes();
    for (int row = 0; row < 7; ++row)
        edits[size_t(row)]->setDataSource(lessons, QLatin1String(FileRows[row].field));
    ui->DBNavigator4->setDataSource(lessons);
    ui->DBGrid5->setDataSource(lessons,
                               {{QStringLiteral("urok"), QStringLiteral("Тема урока"), true, {}},
                                {QStringLiteral("htm"), {}, true, {}},
                                {QStringLiteral("jpg"), {}, true, {}},
                                {QStringLiteral("wav"), {}, true, {}},
                                {QStringLiteral("mid"), {}, true, {}},
                                {QStringLiteral("avi"), {}, true, {}},
                                {QStringLiteral("test"), {}, true, {}},
                                {QStringLiteral("exe"), {}, true, {}}},
                               {393, 51, 48, 50, 54, 47, 46, 48});

    const QColor grey = palette().color(QPalette::Button);
    ui->DBNavigator7->setDataSource(journal);
    ui->DBGrid4->setDataSource(
        journal,
        {{QStringLiteral("fio"), QStringLiteral("ФИО  учащихся"), false, {}},
         {QStringLiteral("gruppa"), QStringLiteral("Учебная группа"), false, {}},
         {QStringLiteral("urok"), QStringLiteral("Тема занятия"), true, grey},
         {QStringLiteral("ocenka"), QStringLiteral("Баллы"), true, grey},
         {QStringLiteral("data"), QStringLiteral("Дата занятия"), true, grey}},
        {218, 116, 267, 43, 87});
}

void TForm4::showEvent(QShowEvent* event)
{
    bindData();
    // Centred on the desktop the first time; later showings keep the last position.
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

QString TForm4::courseRoot() const
{
    return Form1->courseRoot();
}

// ---- lesson editor ---------------------------------------------------------------------------

void TForm4::Button10Click()
{
    bindData();
    m_editor->addTopic(ui->Edit3->text(), false);
}

void TForm4::Button11Click()
{
    bindData();
    m_editor->addTopic(ui->Edit3->text(), true);
}

void TForm4::Button1Click()
{
    bindData();
    m_editor->removeSelectedTopic();
}

void TForm4::Button12Click()
{
    bindData();
    m_editor->enter();
}

void TForm4::chooseFile(int row)
{
    bindData();
    const FileRow& r = FileRows[row];
    const QString root = courseRoot();
    const QString chosen =
        FileDialogs::openFile(this, {root, QString::fromUtf8(r.filter), r.picture});
    if (chosen.isEmpty())
        return;
    m_editor->attach(QLatin1String(r.field), root, chosen);
}

void TForm4::clearFile(int row)
{
    bindData();
    m_editor->clear(QLatin1String(FileRows[row].field));
}

// ---- journal browser -------------------------------------------------------------------------

void TForm4::CheckBox1Click()
{
    DataModule2->Tjurnal->setFiltered(ui->CheckBox1->isChecked());
    Edit1Change();
}

void TForm4::Edit1Change()
{
    DataModule2->Tjurnal->setFilterText(
        JournalFilter::compose(ui->Edit1->text(), ui->Edit2->text()));
}

bool TForm4::runLong(const QString& label,
                     const std::function<bool(const std::function<bool(qint64, qint64)>&)>& work)
{
    if (m_busy)
        return false;
    m_busy = true;
    struct NotBusy
    {
        bool& busy;
        ~NotBusy() { busy = false; }
    } notBusy{m_busy};

    // The dialog shows only when the work takes a while. It is modal for the whole program:
    // while its events are processed no other window takes input, so nothing can touch the
    // journal in between.
    QProgressDialog progress(label, QStringLiteral("Отмена"), 0, 100, this);
    progress.setWindowTitle(appTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    return work([&progress](qint64 done, qint64 total) {
        const int maximum = int(std::min<qint64>(std::max<qint64>(total, 1), INT_MAX));
        if (progress.maximum() != maximum)
            progress.setMaximum(maximum);
        progress.setValue(int(std::min<qint64>(done, maximum)));
        return !progress.wasCanceled();
    });
}

void TForm4::Button20Click()
{
    const bool checked = ui->CheckBox1->isChecked();
    runLong(QStringLiteral("Удаление записей без оценок…"), [checked](const auto& progress) {
        return JournalDeletes::removeUngraded(*DataModule2->Tjurnal, checked, progress);
    });
}

void TForm4::Button21Click()
{
    runLong(QStringLiteral("Удаление записей журнала…"), [](const auto& progress) {
        return JournalDeletes::removeAll(*DataModule2->Tjurnal, progress);
    });
}

void TForm4::Button2Click()
{
    Form8->preview(*DataModule2->Tjurnal);
}

void TForm4::ButtonCsvClick()
{
    Form8->exportCsv(*DataModule2->Tjurnal, this);
}
