#pragma once

#include "TestRun.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAbstractButton;
class QLabel;
class QTimer;
namespace Ui {
class TForm13;
}

// The test window: Start reads the current lesson's answer key and draws the questions, the
// forty number buttons open the question pages in the web view, the option buttons mark the
// open question, and Finish counts and shows the result window. The rules live in TestRun; the
// window shows its state after every step (red captions for opened questions and the marked
// option, the number panel while a run is under way).
class TForm13 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);
    ~TForm13() override;

    // Event handlers, connected through the guard.
    void BitBtn41Click();               // Start
    void BitBtn1Click(QObject* Sender); // every number button; the slot is its caption
    void BitBtn43Click();               // A
    void BitBtn44Click();               // B
    void BitBtn45Click();               // C
    void BitBtn46Click();               // D
    void BitBtn47Click();               // E
    void BitBtn42Click();               // Finish
    void Timer1Timer();

    TestRun& run() { return m_run; }
    const TestRun& run() const { return m_run; }
    // The local file the web view was last sent to ("" before the first question).
    QString lastNavigated() const { return m_lastNavigated; }
    // The number button with caption k (1 … 40).
    QAbstractButton* numberButton(int k) const;
    QString statusPanelText(int panel) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void optionClick(int option);
    // Brings every control in line with the run: panel, Start, fonts and enabled buttons.
    void showRunState();

    std::unique_ptr<Ui::TForm13> ui;
    std::array<QAbstractButton*, TestRun::SlotCount> m_numberButtons{};
    std::array<QAbstractButton*, TestRun::OptionCount> m_optionButtons{};
    std::array<QLabel*, 3> m_statusPanels{};
    QTimer* Timer1 = nullptr;
    TestRun m_run;
    QString m_lastNavigated;
    bool m_shownOnce = false;
};
