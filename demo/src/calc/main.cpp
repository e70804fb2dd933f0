// The demo course's companion program: converts a whole number between the number systems
// with the bases 2, 8, 10 and 16, as the lessons on number systems teach.

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Перевод чисел"));

    auto* number = new QLineEdit(QStringLiteral("45"));
    auto* base = new QComboBox;
    for (const int b : {10, 2, 8, 16})
        base->addItem(QStringLiteral("%1-ичная").arg(b), b);
    auto* error = new QLabel;
    error->setStyleSheet(QStringLiteral("color: #b00020"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Число:"), number);
    form->addRow(QStringLiteral("Система счисления:"), base);
    QList<QPair<int, QLabel*>> results;
    for (const int b : {2, 8, 10, 16}) {
        auto* value = new QLabel;
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont font = value->font();
        font.setBold(true);
        value->setFont(font);
        form->addRow(QStringLiteral("Основание %1:").arg(b), value);
        results.append({b, value});
    }

    auto update = [=] {
        bool ok = false;
        const qulonglong value =
            number->text().trimmed().toULongLong(&ok, base->currentData().toInt());
        error->setText(ok || number->text().trimmed().isEmpty()
                           ? QString()
                           : QStringLiteral("В этой системе счисления такого числа нет."));
        for (const auto& [b, label] : results)
            label->setText(ok ? QString::number(value, b).toUpper() : QString());
    };
    QObject::connect(number, &QLineEdit::textChanged, update);
    QObject::connect(base, &QComboBox::currentIndexChanged, update);
    update();

    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Введите целое неотрицательное число и выберите "
                                                "его систему счисления.")));
    layout->addLayout(form);
    layout->addWidget(error);
    window.resize(380, 240);
    window.show();
    return app.exec();
}
