#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm7;
}

// The password dialog: the right editing password shows the main window's editing menu item,
// and whoever knows it may set a new one. The dialog keeps its boxes and its lower panel
// while it is hidden.
class TForm7 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    // Event handlers, connected through the guard.
    void Button1Click(); // "Ок"
    void Button2Click(); // "Сменить пароль"
    void Button3Click(); // "Ввод"

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool passwordMatches() const;
    void setLowerPanelVisible(bool visible);

    std::unique_ptr<Ui::TForm7> ui;
};
