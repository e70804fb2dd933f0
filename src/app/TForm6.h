#pragma once

#include "FadeState.h"

#include <QWidget>

#include <memory>

class QTimer;
namespace Ui {
class TForm6;
}

// The opening screen: a borderless, skinned window that fades in, takes the student's group and
// name, and on a click on its painted entry button fades out and hands over to the main window.
// It is the application's main window: closing it ends the program, also while it is hidden.
class TForm6 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    // The texts of the name box (Edit1) and the group box (Edit2), as typed.
    QString studentName() const;
    QString studentGroup() const;
    // The fade value: the window's opacity as 0 (transparent) … 255 (opaque).
    int fadeValue() const;

    // Event handlers, connected through the guard.
    void Timer1Timer();
    void Timer2Timer();
    void Image2Click();
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Image1MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void Image1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyFade();

    std::unique_ptr<Ui::TForm6> ui;
    QTimer* Timer1;
    QTimer* Timer2;
    FadeState m_fade;
    bool m_shownOnce = false;
    bool m_hotSpotPressed = false;
};
