#include "TForm1.h"
#include "ui_TForm1.h"

#include "ImageView.h"
#include "LessonCommands.h"
#include "LessonFiles.h"
#include "MediaPlayer.h"
#include "MenuBarStyle.h"
#include "MhtArchive.h"
#include "PictureLoader.h"
#include "ProgramStarter.h"
#include "TForm3.h"
#include "app/FileDialogs.h"
#include "app/Globals.h"
#include "app/Guard.h"
#include "app/Icons.h"
#include "app/TForm6.h"
#include "store/CoursePath.h"
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/LkError.h"
#include "store/TDataModule2.h"
#include "teacher/TForm4.h"
#include "teacher/TForm7.h"
#include "teacher/TopicTree.h"
#include "testing/TForm13.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// The index into ImageList2 that a node shows while it is selected.
constexpr int SelectedImageRole = Qt::UserRole + 1;

const QString TitleField = QStringLiteral("urok");
const QString PageField = QStringLiteral("htm");

Dataset* lessons()
{
    if (DataModule2 == nullptr)
        throw LkError(QStringLiteral("The course data is not available"));
    return DataModule2->Turok;
}

QString studentName()
{
    return Form6 ? Form6->studentName() : QString();
}

QString studentGroup()
{
    return Form6 ? Form6->studentGroup() : QString();
}

void showWindow(QWidget* window)
{
    if (window == nullptr)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

QIcon topicIcon(int selectedImage)
{
    if (selectedImage == 0)
        return Icons::imageList2(0);
    QIcon icon;
    for (int extent : {16, 32}) {
        icon.addPixmap(Icons::imageList2(0).pixmap(extent), QIcon::Normal);
        icon.addPixmap(Icons::imageList2(selectedImage).pixmap(extent), QIcon::Selected);
    }
    return icon;
}

QTreeWidgetItem* newTopic(const QString& text)
{
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, SelectedImageRole, 0);
    node->setIcon(0, topicIcon(0));
    return node;
}

void appendTopics(QTreeWidgetItem* parent, const Outline& outline)
{
    for (const OutlineNode& entry : outline) {
        QTreeWidgetItem* node = newTopic(entry.text);
        parent->addChild(node);
        appendTopics(node, entry.children);
    }
}

OutlineNode outlineOf(const QTreeWidgetItem* node)
{
    OutlineNode entry{node->text(0), {}};
    for (int i = 0; i < node->childCount(); ++i)
        entry.children.push_back(outlineOf(node->child(i)));
    return entry;
}

} // namespace

// The tree as the lesson editor sees it.
class TForm1::Topics : public TopicTree
{
public:
    explicit Topics(TForm1& form) : m_form(form) {}

    bool hasSelection() const override { return m_form.selectedTopic() != nullptr; }
    QString selectedText() const override
    {
        const QTreeWidgetItem* node = m_form.selectedTopic();
        return node ? node->text(0) : QString();
    }
    void addSibling(const QString& text) override
    {
        QTreeWidgetItem* node = m_form.selectedTopic();
        m_form.addTopic(node ? node->parent() : nullptr, text);
    }
    void addChild(const QString& text) override { m_form.addTopic(m_form.selectedTopic(), text); }
    void removeSelected() override { m_form.removeSelectedTopic(); }

private:
    TForm1& m_form;
};

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()),
      m_topics(std::make_unique<Topics>(*this)), m_pages(std::make_unique<QTemporaryDir>())
{
    ui->setupUi(this);

    // Lesson title: bold navy, 16-pixel characters; its width follows the text.
    QFont titleFont = ui->DBText1->font();
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    ui->DBText1->setFont(titleFont);

    ui->BitBtn5->setIcon(Icons::collapseGlyph());
    ui->BitBtn4->setIcon(Icons::expandGlyph());
    ui->BitBtn4->setHidden(true);
    connect(ui->BitBtn5, &QAbstractButton::clicked, this, guarded(this, &TForm1::BitBtn5Click));
    connect(ui->BitBtn4, &QAbstractButton::clicked, this, guarded(this, &TForm1::BitBtn4Click));

    // The topic list on the button face; it shrinks to a sliver when collapsed.
    QPalette treePalette = ui->TreeView1->palette();
    treePalette.setColor(QPalette::Base, treePalette.color(QPalette::Button));
    ui->TreeView1->setPalette(treePalette);
    ui->TreeView1->setMinimumSize(1, 1);
    ui->WebBrowser1->setMinimumSize(1, 1);
    ui->TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int i = 0; i < ui->TreeView1->topLevelItemCount(); ++i) {
        ui->TreeView1->topLevelItem(i)->setData(0, SelectedImageRole, 0);
        ui->TreeView1->topLevelItem(i)->setIcon(0, topicIcon(0));
    }
    connect(
        ui->TreeView1, &QTreeWidget::currentItemChanged, this,
        guarded([this](QTreeWidgetItem* current, QTreeWidgetItem*) { TreeView1Change(current); }));
    // Whoever adds, removes or renames a topic changes the tree the outline file keeps.
    QAbstractItemModel* model = ui->TreeView1->model();
    auto changed = [this] {
        if (!m_loadingTree)
            m_treeChanged = true;
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model, &QAbstractItemModel::rowsMoved, this, changed);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [changed](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    changed();
            });

    // Pages without a declared charset come from Russian Windows.
    ui->WebBrowser1->settings()->setDefaultTextEncoding(QStringLiteral("windows-1251"));

    // The menu bar shows each item's image beside its caption.
    auto* menuStyle = new MenuBarStyle();
    menuStyle->setParent(ui->MainMenu1);
    ui->MainMenu1->setStyle(menuStyle);
    const std::pair<QAction*, int> images[] = {{ui->nn1, 2},
                                               {ui->nn2, 4},
                                               {ui->nn3, 3},
                                               {ui->nn4, 6},
                                               {ui->nn6->menuAction(), 1},
                                               {ui->nn7->menuAction(), 0},
                                               {ui->nn5, 5}};
    for (const auto& [action, index] : images)
        action->setIcon(Icons::imageList1(index));
    ui->nn6->setIcon(Icons::imageList1(1));
    ui->nn7->setIcon(Icons::imageList1(0));

    const std::pair<QAction*, void (TForm1::*)()> handlers[] = {
        {ui->nn1, &TForm1::nn1Click}, {ui->nn2, &TForm1::nn2Click}, {ui->nn3, &TForm1::nn3Click},
        {ui->nn4, &TForm1::nn4Click}, {ui->nn5, &TForm1::nn5Click}, {ui->N8, &TForm1::N8Click},
        {ui->N5, &TForm1::N5Click},   {ui->N7, &TForm1::N7Click},   {ui->N4, &TForm1::N4Click},
        {ui->N1, &TForm1::N1Click},   {ui->N2, &TForm1::N2Click},   {ui->N3, &TForm1::N3Click}};
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, guarded(this, handler));

    // Status bar: date (60), time (50) and the credit line to the right edge.
    const int widths[] = {60, 50, 0};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(ui->StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        if (widths[i] > 0)
            panel->setFixedWidth(widths[i]);
        ui->StatusBar1->addWidget(panel, widths[i] > 0 ? 0 : 1);
        m_panels[i] = panel;
    }

    setMediaDevices(std::make_unique<MediaPlayer>(QStringLiteral("MediaPlayer1")),
                    std::make_unique<MediaPlayer>(QStringLiteral("MediaPlayer2")));

    // The clock runs from creation on, also while the window is hidden.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, guarded(this, &TForm1::Timer1Timer));
    Timer1->start();
}

TForm1::~TForm1() = default;

QString TForm1::credit()
{
    return QStringLiteral("Разработка: кафедра информатики и вычислительной техники, 2026");
}

QString TForm1::soundFilter()
{
    return QStringLiteral("Все звуки|*.mid;*.wav;*.mp3;*.kar;*.avi;*.wmv|Все файлы|*.*");
}

void TForm1::FormCreate()
{
    m_root = CoursePath::currentRoot();

    // Loading replaces the tree; a file that cannot be opened leaves it as it was, and one that
    // stops at a bad level leaves the topics read before it.
    m_outline =
        OutlineFile(CoursePath::toLocal(CoursePath::join(m_root, QStringLiteral("log.log"))));
    Outline outline;
    try {
        m_outline.load(outline);
    } catch (const LkError& e) {
        if (e.kind() != LkErrorKind::FileOpen)
            mirror(outline);
        throw;
    }
    mirror(outline);

    navigate(CoursePath::join(m_root, QStringLiteral("zas.mht")));
    m_panels[2]->setText(credit());
    for (QAction* item : {ui->nn2, ui->nn3, ui->nn4, ui->nn5})
        item->setEnabled(false);
}

void TForm1::FormClose()
{
    saveTree();
    if (Form6)
        Form6->close();
}

void TForm1::Timer1Timer()
{
    m_panels[0]->setText(DateValue::shortDate(QDate::currentDate()));
    m_panels[1]->setText(DateValue::longTime(QTime::currentTime()));
}

void TForm1::TreeView1Change(QTreeWidgetItem* node)
{
    // With no node selected (the last one was removed) there is no topic to show.
    if (node == nullptr)
        return;
    const QString topic = node->text(0);
    Dataset* turok = lessons();
    turok->locate(TitleField, topic);
    setSelectedImage(node, 1);

    for (const LessonCommands::Rule& rule : LessonCommands::enablingRules())
        menuItem(rule.item)->setEnabled(LessonFiles::holdsFileName(turok->value(rule.field)));

    const QString titlePage = CoursePath::join(m_root, QStringLiteral("zas.mht"));
    const QVariant page = turok->value(PageField);
    if (page.isNull()) {
        navigate(titlePage);
        return;
    }
    const QString path = CoursePath::join(m_root, page.toString());
    if (!CoursePath::isFile(path)) {
        navigate(titlePage);
        return;
    }
    navigate(path);
    if (!studentName().isEmpty())
        writeAttendance(topic);
}

void TForm1::writeAttendance(const QString& topic)
{
    if (DataModule2 == nullptr)
        throw LkError(QStringLiteral("The course data is not available"));
    Dataset* journal = DataModule2->Tjurnal;
    journal->insert();
    journal->setValue(QStringLiteral("data"), DateValue::today());
    journal->setValue(QStringLiteral("fio"), studentName());
    journal->setValue(QStringLiteral("gruppa"), studentGroup());
    journal->setValue(QStringLiteral("urok"), topic);
    journal->setValue(QStringLiteral("ocenka"), 0);
    journal->post();
}

void TForm1::BitBtn5Click()
{
    ui->BitBtn4->setHidden(!ui->BitBtn4->isHidden());
    ui->BitBtn5->setHidden(!ui->BitBtn4->isHidden());
    ui->Panel2->setFixedWidth(15);
}

void TForm1::BitBtn4Click()
{
    ui->BitBtn4->setHidden(!ui->BitBtn4->isHidden());
    ui->BitBtn5->setHidden(!ui->BitBtn4->isHidden());
    ui->Panel2->setFixedWidth(345);
}

std::optional<QString> TForm1::lookup(const QString& field) const
{
    return LessonFiles::lookup(m_root, lessons()->value(field));
}

void TForm1::nn1Click()
{
    if (const auto path = lookup(QStringLiteral("htm")))
        navigate(*path);
}

void TForm1::nn2Click()
{
    const auto path = lookup(QStringLiteral("jpg"));
    if (!path)
        return;
    const Picture picture = PictureLoader::load(CoursePath::toLocal(*path));
    if (Form3 == nullptr)
        return;
    Form3->setPicture(picture);
    showWindow(Form3);
}

void TForm1::nn3Click()
{
    if (const auto path = lookup(QStringLiteral("avi")))
        m_media.playVideo(*path);
}

void TForm1::nn4Click()
{
    // Whether the program started is not looked at.
    if (const auto path = lookup(QStringLiteral("exe")))
        ProgramStarter::start(*path);
}

void TForm1::nn5Click()
{
    if (lookup(QStringLiteral("test")))
        showWindow(Form13);
}

namespace {
// The check marks follow the commands' own state after every use, whatever the use ended with
// (a checkable item flips itself when chosen).
struct ShowMarksAfterwards
{
    std::function<void()> show;
    ~ShowMarksAfterwards() { show(); }
};
} // namespace

void TForm1::showMarks()
{
    ui->N8->setChecked(m_media.narrationMark());
    ui->N5->setChecked(m_media.melodyMark());
}

void TForm1::N8Click()
{
    ShowMarksAfterwards marks{[this] { showMarks(); }};
    m_media.narrationOnOff(lookup(QStringLiteral("wav")));
}

void TForm1::N5Click()
{
    ShowMarksAfterwards marks{[this] { showMarks(); }};
    m_media.melodyOnOff([this] { return lookup(QStringLiteral("mid")); });
}

void TForm1::N7Click()
{
    ShowMarksAfterwards marks{[this] { showMarks(); }};
    const QString path = FileDialogs::openFile(this, {QString(), soundFilter(), false});
    m_media.chooseMelody(path);
}

void TForm1::N4Click()
{
    showWindow(Form7);
}

void TForm1::N1Click()
{
    showWindow(Form4);
}

void TForm1::N2Click()
{
    navigate(CoursePath::join(m_root, QStringLiteral("help.mht")));
}

void TForm1::N3Click()
{
    close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A tree that cannot be saved keeps the window open and the program running.
    bool closed = false;
    runGuarded([&] {
        FormClose();
        closed = true;
    });
    if (!closed) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::attachDataModule()
{
    if (DataModule2 == nullptr || DataModule2->Turok == nullptr)
        return;
    Dataset* turok = DataModule2->Turok;
    connect(turok, &Dataset::currentChanged, this, &TForm1::showLessonTitle);
    connect(turok, &Dataset::recordChanged, this, &TForm1::showLessonTitle);
    connect(turok, &Dataset::stateChanged, this, &TForm1::showLessonTitle);
    connect(turok, &Dataset::reset, this, &TForm1::showLessonTitle);
    connect(turok, &Dataset::rowInserted, this, &TForm1::showLessonTitle);
    connect(turok, &Dataset::rowRemoved, this, &TForm1::showLessonTitle);
    showLessonTitle();
}

void TForm1::showLessonTitle()
{
    QString title;
    Dataset* turok = DataModule2 ? DataModule2->Turok : nullptr;
    if (turok && turok->isActive() && turok->fieldIndex(TitleField) >= 0 &&
        (turok->recordCount() > 0 || turok->state() == Dataset::State::Insert)) {
        try {
            title = turok->value(TitleField).toString();
        } catch (const LkError&) {
            // A label shows what it can; the error belongs to whoever moved the dataset.
        }
    }
    ui->DBText1->setText(title);
    ui->DBText1->adjustSize();
}

QWebEngineView* TForm1::webBrowser() const
{
    return ui->WebBrowser1;
}

QTreeWidget* TForm1::treeView() const
{
    return ui->TreeView1;
}

QAction* TForm1::menuItem(const QString& name) const
{
    if (name == QLatin1String("nn6"))
        return ui->nn6->menuAction();
    if (name == QLatin1String("nn7"))
        return ui->nn7->menuAction();
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

QString TForm1::statusPanelText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_panels[panel]->text() : QString();
}

TopicTree& TForm1::topicTree()
{
    return *m_topics;
}

QTreeWidgetItem* TForm1::selectedTopic() const
{
    return ui->TreeView1->currentItem();
}

QTreeWidgetItem* TForm1::addTopic(QTreeWidgetItem* parent, const QString& text)
{
    QTreeWidgetItem* node = newTopic(text);
    if (parent)
        parent->addChild(node);
    else
        ui->TreeView1->addTopLevelItem(node);
    m_treeChanged = true;
    return node;
}

void TForm1::removeSelectedTopic()
{
    QTreeWidgetItem* node = selectedTopic();
    if (node == nullptr)
        return;
    m_treeChanged = true;
    delete node;
}

Outline TForm1::topicOutline() const
{
    Outline outline;
    for (int i = 0; i < ui->TreeView1->topLevelItemCount(); ++i)
        outline.push_back(outlineOf(ui->TreeView1->topLevelItem(i)));
    return outline;
}

void TForm1::saveTree()
{
    m_outline.save(topicOutline());
    m_treeChanged = false;
}

void TForm1::saveTreeIfChanged()
{
    if (m_treeChanged)
        runGuarded([this] { saveTree(); });
}

void TForm1::mirror(const Outline& outline)
{
    m_loadingTree = true;
    ui->TreeView1->clear();
    QTreeWidgetItem* root = ui->TreeView1->invisibleRootItem();
    appendTopics(root, outline);
    // Loading selects no node, and the tree is not to pick one by itself when it gets focus.
    ui->TreeView1->setCurrentItem(nullptr);
    m_loadingTree = false;
}

void TForm1::setSelectedImage(QTreeWidgetItem* node, int index)
{
    if (node->data(0, SelectedImageRole).toInt() == index)
        return;
    node->setData(0, SelectedImageRole, index);
    node->setIcon(0, topicIcon(index));
}

void TForm1::navigate(const QString& coursePath)
{
    m_lastNavigated = CoursePath::toLocal(coursePath);
    QUrl url = QUrl::fromLocalFile(m_lastNavigated);
    const QFileInfo file(m_lastNavigated);
    const QString suffix = file.suffix().toLower();
    if ((suffix == QLatin1String("mht") || suffix == QLatin1String("mhtml")) && file.isFile() &&
        m_pages->isValid()) {
        // A web archive is shown from a folder of its parts, which the web view can reach.
        try {
            const MhtArchive archive = MhtArchive::read(m_lastNavigated);
            url = QUrl::fromLocalFile(
                archive.extractTo(m_pages->filePath(QString::number(++m_pageCount))));
            // The page before the previous one is no longer shown.
            if (m_pageCount > 2)
                QDir(m_pages->filePath(QString::number(m_pageCount - 2))).removeRecursively();
        } catch (const LkError&) {
            // Not an archive this program can unpack: the web view gets the file itself.
        }
    }
    m_shownUrl = url;
    ui->WebBrowser1->setUrl(url);
}

void TForm1::setMediaDevices(std::unique_ptr<MediaDevice> player1,
                             std::unique_ptr<MediaDevice> player2)
{
    m_media.setDevices(player1.get(), player2.get());
    m_player1 = std::move(player1);
    m_player2 = std::move(player2);
}
