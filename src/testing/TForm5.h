#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm5;
}

// The result window: the right count, the percentage and the grade of the run that Finish
// counted; "Ок" closes the test window, writes the grade record to the journal when a student
// name was typed, and closes this window.
class TForm5 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // Event handlers, connected through the guard.
    void FormActivate();
    void Button1Click();

    // Finish shows the window non-modally, or brings it to the front, with fresh values.
    void showResult();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm5> ui;
    bool m_shownOnce = false;
};
