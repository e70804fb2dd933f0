#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <array>

class DataSource;
class Dataset;
class QToolButton;

// A record navigator: a row of buttons that move through a dataset and edit it. Each button is
// enabled only where it can act; delete asks "Delete record?" first.
class DBNavigator : public QWidget
{
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int ButtonCount = 10;

    explicit DBNavigator(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    // The buttons shown, always in the standard order; all ten by default.
    void setVisibleButtons(const QList<Button>& buttons);

    // The button's widget, named nbFirst … nbRefresh.
    QToolButton* button(Button which) const;
    // What a click on the button does.
    void click(Button which);

private:
    void updateButtons();

    QPointer<Dataset> m_dataset;
    std::array<QToolButton*, ButtonCount> m_buttons{};
};
