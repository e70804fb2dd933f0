#include "DBNavigator.h"

#include "Guard.h"
#include "MessageBoxes.h"

#include "store/DataSource.h"
#include "store/Dataset.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {
struct ButtonInfo
{
    const char* name;
    const char* hint;
};

constexpr ButtonInfo Info[DBNavigator::ButtonCount] = {
    {"nbFirst", "First record"},   {"nbPrior", "Prior record"},   {"nbNext", "Next record"},
    {"nbLast", "Last record"},     {"nbInsert", "Insert record"}, {"nbDelete", "Delete record"},
    {"nbEdit", "Edit record"},     {"nbPost", "Post edit"},       {"nbCancel", "Cancel edit"},
    {"nbRefresh", "Refresh data"},
};

// The glyphs, drawn on a 16 × 16 grid: triangles and bars to move, plus and minus, a caret to
// edit, a check mark, a cross and a round arrow.
QIcon glyph(DBNavigator::Button which)
{
    using B = DBNavigator::Button;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    const QColor ink(0, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const auto triangle = [&](QPointF a, QPointF b, QPointF c) {
        p.drawPolygon(QPolygonF{a, b, c});
    };
    switch (which) {
    case B::First:
        p.drawRect(QRectF(4, 4, 2, 8));
        triangle({12, 3.5}, {12, 12.5}, {6.5, 8});
        break;
    case B::Prior:
        triangle({10.5, 3.5}, {10.5, 12.5}, {5, 8});
        break;
    case B::Next:
        triangle({5.5, 3.5}, {5.5, 12.5}, {11, 8});
        break;
    case B::Last:
        triangle({4, 3.5}, {4, 12.5}, {9.5, 8});
        p.drawRect(QRectF(10, 4, 2, 8));
        break;
    case B::Insert:
        p.drawRect(QRectF(3, 7, 10, 2));
        p.drawRect(QRectF(7, 3, 2, 10));
        break;
    case B::Delete:
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case B::Edit:
        triangle({3, 11}, {13, 11}, {8, 5});
        break;
    case B::Post:
    case B::Cancel:
    case B::Refresh: {
        QPen pen(which == B::Post     ? QColor(0, 128, 0)
                 : which == B::Cancel ? QColor(160, 0, 0)
                                      : ink,
                 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        if (which == B::Post) {
            p.drawPolyline(QPolygonF{{3.5, 8.5}, {6.5, 11.5}, {12.5, 4.5}});
        } else if (which == B::Cancel) {
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
        } else {
            p.drawArc(QRectF(3.5, 3.5, 9, 9), 90 * 16, 270 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            triangle({8, 1.5}, {8, 6.5}, {11, 4});
        }
        break;
    }
    }
    return QIcon(pixmap);
}
} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        const auto which = Button(i);
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(Info[i].name));
        b->setToolTip(QLatin1String(Info[i].hint));
        b->setIcon(glyph(which));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setMinimumSize(1, 1);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, guarded([this, which] { click(which); }));
        layout->addWidget(b);
        m_buttons[size_t(i)] = b;
    }
    updateButtons();
}

QToolButton* DBNavigator::button(Button which) const
{
    return m_buttons[size_t(which)];
}

void DBNavigator::setVisibleButtons(const QList<Button>& buttons)
{
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[size_t(i)]->setVisible(buttons.contains(Button(i)));
}

void DBNavigator::setDataSource(DataSource* source)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = source ? source->dataset() : nullptr;
    if (m_dataset) {
        for (auto signal : {&Dataset::stateChanged, &Dataset::currentChanged, &Dataset::reset})
            connect(m_dataset, signal, this, &DBNavigator::updateButtons);
        for (auto signal : {&Dataset::rowInserted, &Dataset::rowRemoved})
            connect(m_dataset, signal, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::updateButtons()
{
    const bool active = m_dataset && m_dataset->isActive();
    const bool editing = active && (m_dataset->state() == Dataset::State::Edit ||
                                    m_dataset->state() == Dataset::State::Insert);
    const int count = active ? m_dataset->recordCount() : 0;
    const int row = active ? m_dataset->currentRow() : -1;
    const bool canGoUp = active && row > 0;
    const bool canGoDown = active && row >= 0 && row < count - 1;
    const bool enabled[ButtonCount] = {
        canGoUp, canGoUp, canGoDown, canGoDown, active, active && count > 0, active && !editing,
        editing, editing, active,
    };
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[size_t(i)]->setEnabled(enabled[i]);
}

void DBNavigator::click(Button which)
{
    if (!m_dataset)
        return;
    Dataset& d = *m_dataset;
    switch (which) {
    case Button::First:
        d.first();
        break;
    case Button::Prior:
        d.prior();
        break;
    case Button::Next:
        d.next();
        break;
    case Button::Last:
        d.last();
        break;
    case Button::Insert:
        d.insert();
        break;
    case Button::Delete:
        if (MessageBoxes::confirm(QStringLiteral("Delete record?")))
            d.remove();
        break;
    case Button::Edit:
        d.edit();
        break;
    case Button::Post:
        d.post();
        break;
    case Button::Cancel:
        d.cancel();
        break;
    case Button::Refresh:
        d.refresh();
        break;
    }
    updateButtons();
}
