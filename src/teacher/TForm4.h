#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class DBEdit;
class LessonEditor;
namespace Ui {
class TForm4;
}

// The teacher window: the lesson editor (topics, and the files of the current lesson) and the
// journal browser (filter by student and group, corrections, bulk deletes, report, CSV).
// It works on the lessons and journal datasets of the course data module, which is created
// after this window: the controls are bound to them when the window is first shown.
class TForm4 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // Binds the data-aware controls to the course data module (once; later calls do nothing).
    void bindData();

    // Lesson editor.
    void Button10Click(); // "Добавить новую корневой раздел"
    void Button11Click(); // "Добавить подраздел"
    void Button1Click();  // "Удалить подраздел"
    void Button12Click(); // "Ввод"
    // The choose buttons Button13 … Button19 and the clear buttons BitBtn1 … BitBtn7, by row
    // (0: htm, 1: jpg, 2: avi, 3: test, 4: mid, 5: wav, 6: exe).
    void chooseFile(int row);
    void clearFile(int row);

    // Journal browser.
    void CheckBox1Click();
    void Edit1Change();    // both filter boxes
    void Button20Click();  // "Удалить записи без оценок"
    void Button21Click();  // "Удалить все записи"
    void Button2Click();   // "Печать"
    void ButtonCsvClick(); // the journal view as a CSV file

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString courseRoot() const;
    // The bound boxes of the seven file rows, DBEdit1 … DBEdit7.
    std::array<DBEdit*, 7> fileBoxes() const;
    // Runs a long piece of work with a progress dialog; while it runs no other handler of this
    // window starts. False when the work was cancelled or another one is running.
    bool runLong(const QString& label,
                 const std::function<bool(const std::function<bool(qint64, qint64)>&)>& work);

    std::unique_ptr<Ui::TForm4> ui;
    std::unique_ptr<LessonEditor> m_editor;
    bool m_bound = false;
    bool m_placed = false;
    bool m_busy = false;
};
