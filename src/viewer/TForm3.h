#pragma once

#include <QWidget>

#include <memory>

class ImageView;
class Picture;
namespace Ui {
class TForm3;
}

// The picture window: one image control that shows a lesson's picture or scheme, stretched
// with its proportions kept. It stays on top, is centred the first time it is shown and later
// keeps the place and size the user gave it; closing it only hides it.
class TForm3 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    ImageView* image() const;
    void setPicture(const Picture& picture);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm3> ui;
    bool m_shownOnce = false;
};
