#pragma once

#include "LessonMedia.h"
#include "store/OutlineFile.h"

#include <QMainWindow>
#include <QUrl>

#include <memory>
#include <optional>

class MediaDevice;
class QAction;
class QLabel;
class QTemporaryDir;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;
class TopicTree;
namespace Ui {
class TForm1;
}

// The main window: the topic tree on the left, the lesson page in the web view, the current
// lesson's title at the top, a clock and the credit line in the status bar, and the lesson
// commands in the main menu. Selecting a topic positions the lessons dataset on the lesson of
// that title, enables the commands by the lesson's files, shows its page and writes an
// attendance record. Closing the window saves the topic tree and ends the program.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Event handlers, connected through the guard.
    void FormCreate();
    void FormClose();
    void Timer1Timer();
    void TreeView1Change(QTreeWidgetItem* node);
    void BitBtn5Click(); // collapse the topic list
    void BitBtn4Click(); // expand it
    void nn1Click();     // lesson page
    void nn2Click();     // picture
    void nn3Click();     // video
    void nn4Click();     // companion program
    void nn5Click();     // test
    void N8Click();      // narration on/off
    void N5Click();      // melody on/off
    void N7Click();      // choose a melody
    void N4Click();      // password
    void N1Click();      // teacher window
    void N2Click();      // about page
    void N3Click();      // exit

    // Binds the lesson title at the top to the lessons dataset; called once the course data
    // module exists (it is created after this window).
    void attachDataModule();

    // The course root, fixed by the creation handler.
    QString courseRoot() const { return m_root; }
    // The local file the web view was last sent to, and the address it was given for it (for a
    // web archive, the page unpacked from it).
    QString lastNavigated() const { return m_lastNavigated; }
    QUrl shownUrl() const { return m_shownUrl; }
    QWebEngineView* webBrowser() const;
    QTreeWidget* treeView() const;
    QAction* menuItem(const QString& name) const;
    QString statusPanelText(int panel) const;

    // The topic tree as the lesson editor changes it. Every change marks the tree as changed,
    // so that it is saved however the run ends.
    TopicTree& topicTree();
    QTreeWidgetItem* selectedTopic() const;
    // A node as the last child of `parent`, or at the end of the top level when it is null.
    // The new node is not selected.
    QTreeWidgetItem* addTopic(QTreeWidgetItem* parent, const QString& text);
    // Removes the selected node with its whole branch; the tree selects another node (which
    // runs topic selection) or none.
    void removeSelectedTopic();
    // The tree's texts and levels, as the topic outline file keeps them.
    Outline topicOutline() const;
    bool treeChanged() const { return m_treeChanged; }
    void setTreeChanged(bool changed = true) { m_treeChanged = changed; }
    // Writes the tree to the topic outline file when it was changed during the run; used on
    // every way the program ends other than this window's close. Shows a failure.
    void saveTreeIfChanged();

    // The two media devices (MediaPlayer1: video and narration; MediaPlayer2: melody) and the
    // commands over them. Tests may put devices of their own in place.
    LessonMedia& media() { return m_media; }
    MediaDevice* mediaPlayer1() const { return m_player1.get(); }
    MediaDevice* mediaPlayer2() const { return m_player2.get(); }
    void setMediaDevices(std::unique_ptr<MediaDevice> player1,
                         std::unique_ptr<MediaDevice> player2);

    static QString credit();
    static QString soundFilter();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Topics;

    void navigate(const QString& coursePath);
    void mirror(const Outline& outline);
    void setSelectedImage(QTreeWidgetItem* node, int index);
    void showLessonTitle();
    void writeAttendance(const QString& topic);
    std::optional<QString> lookup(const QString& field) const;
    void showMarks();
    void saveTree();

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<Topics> m_topics;
    QLabel* m_panels[3] = {};
    QTimer* Timer1 = nullptr;
    QString m_root;
    OutlineFile m_outline{QString()};
    bool m_treeChanged = false;
    bool m_loadingTree = false;
    QString m_lastNavigated;
    QUrl m_shownUrl;
    std::unique_ptr<QTemporaryDir> m_pages;
    int m_pageCount = 0;
    std::unique_ptr<MediaDevice> m_player1;
    std::unique_ptr<MediaDevice> m_player2;
    LessonMedia m_media{nullptr, nullptr};
};
