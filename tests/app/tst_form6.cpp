// The opening screen as a window: its layout, the fade driven by its timers, typing, entry by the
// hot spot, dragging, and the end of the program when it is closed.
#include "Globals.h"
#include "MessageBoxes.h"
#include "TForm6.h"
#include "viewer/TForm1.h"

#include <QApplication>
#include <QBitmap>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {
// Calls back when its widget is about to be shown.
class ShowSpy : public QObject
{
public:
    explicit ShowSpy(std::function<void()> onShow) : m_onShow(std::move(onShow)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_onShow();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onShow;
};
} // namespace

class TstForm6 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void transparentColour();
    void fadeInByTimer();
    void focusAndTyping();
    void entry_data();
    void entry();
    void handOverShowsTheMainWindowFirst();
    void secondClickChangesNothing();
    void otherButtonsDoNotEnter();
    void drag_data();
    void drag();
    void closingEndsTheProgram();

private:
    template <typename T> T* child(const char* name)
    {
        auto* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
                   QPoint at)
    {
        QMouseEvent e(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    // Types any text, Cyrillic included, key by key.
    static void typeText(QWidget* w, const QString& text)
    {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    TForm6* m_form = nullptr;
};

void TstForm6::init()
{
    MessageBoxes::startRecording();
    m_form = new TForm6();
}

void TstForm6::cleanup()
{
    delete m_form;
    m_form = nullptr;
    QVERIFY(MessageBoxes::takeShown().isEmpty());
}

void TstForm6::layout()
{
    QVERIFY(m_form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(m_form->size(), QSize(712, 390));
    QCOMPARE(child<QLabel>("Image1")->geometry(), QRect(0, 0, 712, 390));
    auto* image2 = child<QLabel>("Image2");
    QCOMPARE(image2->geometry(), QRect(440, 280, 153, 49));
    QVERIFY(image2->pixmap().isNull());
    // The hot spot lies above the picture.
    QVERIFY(m_form->childAt(500, 300) == image2);

    auto* edit1 = child<QLineEdit>("Edit1");
    auto* edit2 = child<QLineEdit>("Edit2");
    QCOMPARE(edit2->geometry(), QRect(320, 200, 273, 24));
    QCOMPARE(edit1->geometry(), QRect(232, 240, 361, 24));
    for (auto* edit : {edit1, edit2}) {
        QVERIFY(edit->font().bold());
        QCOMPARE(edit->font().pixelSize(), 13);
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(edit->palette().color(QPalette::Text), QColor(0, 0, 128));
        QCOMPARE(edit->maxLength(), 32767); // no limit of its own
    }

    auto* timer1 = child<QTimer>("Timer1");
    auto* timer2 = child<QTimer>("Timer2");
    QCOMPARE(timer1->interval(), 100);
    QCOMPARE(timer2->interval(), 100);
    QVERIFY(timer1->isActive());
    QVERIFY(!timer2->isActive());
    QCOMPARE(m_form->fadeValue(), 0);
    QCOMPARE(m_form->windowOpacity(), 0.0);
    QVERIFY(m_form->isHidden());
}

void TstForm6::transparentColour()
{
    // The picture's red ground is transparent, and only the red ground.
    const QImage shown = child<QLabel>("Image1")->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(712, 390));
    QCOMPARE(shown.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(shown.pixelColor(356, 200).alpha(), 255);
    const QRegion mask = m_form->mask();
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(mask.contains(QPoint(356, 200)));
    QVERIFY(mask.contains(QPoint(500, 300)));
}

void TstForm6::fadeInByTimer()
{
    // The fade-in runs by its own timer: 25 ticks of 100 ms.
    QTRY_COMPARE_WITH_TIMEOUT(m_form->fadeValue(), 250, 6000);
    QVERIFY(!child<QTimer>("Timer1")->isActive());
    QCOMPARE(m_form->windowOpacity(), 250 / 255.0);
    QTest::qWait(250);
    QCOMPARE(m_form->fadeValue(), 250);
}

void TstForm6::focusAndTyping()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    auto* edit1 = child<QLineEdit>("Edit1");
    auto* edit2 = child<QLineEdit>("Edit2");
    QTRY_COMPARE(QApplication::focusWidget(), edit1);
    typeText(edit1, QStringLiteral("Петров Пётр Петрович"));
    QTest::keyClick(edit1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit2);
    QTest::keyClick(edit2, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit1);
    QTest::keyClick(edit1, Qt::Key_Tab);
    typeText(edit2, QStringLiteral("ИВТ-11 "));
    QCOMPARE(m_form->studentName(), QStringLiteral("Петров Пётр Петрович"));
    QCOMPARE(m_form->studentGroup(), QStringLiteral("ИВТ-11 "));
    // No key starts the entry.
    QTest::keyClick(edit2, Qt::Key_Return);
    QTest::keyClick(edit1, Qt::Key_Enter);
    QVERIFY(!child<QTimer>("Timer2")->isActive());
}

void TstForm6::entry_data()
{
    QTest::addColumn<int>("fadeInTicks");
    QTest::addColumn<int>("handOverStep");
    QTest::addColumn<int>("handOverValue");
    QTest::newRow("fully faded in") << 25 << 22 << 30;
    QTest::newRow("during fade-in at 100") << 10 << 7 << 30;
    QTest::newRow("at 0") << 0 << 1 << 0;
}

void TstForm6::entry()
{
    QFETCH(int, fadeInTicks);
    QFETCH(int, handOverStep);
    QFETCH(int, handOverValue);

    auto* timer1 = child<QTimer>("Timer1");
    auto* timer2 = child<QTimer>("Timer2");
    timer1->stop(); // the test drives the ticks itself
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    for (int i = 0; i < fadeInTicks; ++i)
        m_form->Timer1Timer();
    if (fadeInTicks < 25)
        timer1->start(); // still fading in when the student clicks

    QTest::mouseClick(child<QLabel>("Image2"), Qt::LeftButton, {}, QPoint(70, 20));
    QVERIFY(timer2->isActive());
    timer2->stop();

    int step = 0;
    while (!m_form->isHidden() && step < 50) {
        ++step;
        m_form->Timer2Timer();
        QVERIFY(!timer1->isActive());
    }
    QCOMPARE(step, handOverStep);
    QCOMPARE(m_form->fadeValue(), handOverValue);
    QCOMPARE(m_form->windowOpacity(), handOverValue / 255.0);
    QVERIFY(!timer2->isActive());
    // Hidden, not closed: the texts stay readable.
    QVERIFY(m_form->isHidden());
}

void TstForm6::handOverShowsTheMainWindowFirst()
{
    TForm1 main;
    Form1 = &main;
    const auto forget = qScopeGuard([] { Form1 = nullptr; });
    int openingVisibleAtShow = -1;
    ShowSpy spy([&] { openingVisibleAtShow = m_form->isVisible(); });
    main.installEventFilter(&spy);

    child<QTimer>("Timer1")->stop();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    for (int i = 0; i < 25; ++i)
        m_form->Timer1Timer();
    QTest::mouseClick(child<QLabel>("Image2"), Qt::LeftButton);
    child<QTimer>("Timer2")->stop();
    for (int i = 0; i < 21; ++i)
        m_form->Timer2Timer();
    QVERIFY(main.isHidden());
    QVERIFY(m_form->isVisible());
    m_form->Timer2Timer();
    // The main window opens maximised while the opening screen is still up; then it hides.
    QVERIFY(main.isVisible());
    QVERIFY(main.windowState() & Qt::WindowMaximized);
    QCOMPARE(openingVisibleAtShow, 1);
    QVERIFY(m_form->isHidden());
    QCOMPARE(m_form->fadeValue(), 30);
}

void TstForm6::secondClickChangesNothing()
{
    auto* timer2 = child<QTimer>("Timer2");
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QTRY_COMPARE_WITH_TIMEOUT(m_form->fadeValue(), 250, 6000);
    auto* image2 = child<QLabel>("Image2");
    QTest::mouseClick(image2, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(timer2->isActive());
    // The fade-out by its own timer: the value falls while the window stays up.
    QTRY_VERIFY_WITH_TIMEOUT(m_form->fadeValue() <= 230, 3000);
    const int remaining = timer2->remainingTime();
    QTest::mouseClick(image2, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(timer2->isActive());
    // A restart would have pushed the next tick back to a full interval.
    QVERIFY(timer2->remainingTime() <= remaining);
    QTRY_VERIFY_WITH_TIMEOUT(m_form->isHidden(), 4000);
    QCOMPARE(m_form->fadeValue(), 30);
    QVERIFY(!timer2->isActive());
}

void TstForm6::otherButtonsDoNotEnter()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    auto* image2 = child<QLabel>("Image2");
    QTest::mouseClick(image2, Qt::RightButton, {}, QPoint(10, 10));
    // Pressed on the spot but released outside it: no click.
    sendMouse(image2, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(10, 10));
    sendMouse(image2, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(200, 10));
    QVERIFY(!child<QTimer>("Timer2")->isActive());
    // Clicking the picture next to the spot does not enter either.
    QTest::mouseClick(child<QLabel>("Image1"), Qt::LeftButton, {}, QPoint(420, 300));
    QVERIFY(!child<QTimer>("Timer2")->isActive());
}

void TstForm6::drag_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TstForm6::drag()
{
    QFETCH(Qt::MouseButton, button);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->move(100, 80);
    const QPoint start = m_form->pos();
    auto* image1 = child<QLabel>("Image1");

    // A move without a button down moves nothing.
    sendMouse(image1, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(50, 50));
    QCOMPARE(m_form->pos(), start);

    sendMouse(image1, QEvent::MouseButtonPress, button, button, QPoint(20, 30));
    sendMouse(image1, QEvent::MouseMove, Qt::NoButton, button, QPoint(50, 25));
    QCOMPARE(m_form->pos(), start + QPoint(30, -5));
    sendMouse(image1, QEvent::MouseMove, Qt::NoButton, button, QPoint(10, 70));
    QCOMPARE(m_form->pos(), start + QPoint(30 - 10, -5 + 40));
    sendMouse(image1, QEvent::MouseButtonRelease, button, Qt::NoButton, QPoint(10, 70));
    const QPoint end = m_form->pos();
    sendMouse(image1, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(90, 90));
    QCOMPARE(m_form->pos(), end);

    // A press on a box goes to the box and starts no drag.
    auto* edit1 = child<QLineEdit>("Edit1");
    QTest::mousePress(edit1, button, {}, QPoint(5, 5));
    sendMouse(image1, QEvent::MouseMove, Qt::NoButton, button, QPoint(200, 200));
    QTest::mouseRelease(edit1, button, {}, QPoint(5, 5));
    QCOMPARE(m_form->pos(), end);
}

void TstForm6::closingEndsTheProgram()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    // A loop that does not end by the close ends with 7 after five seconds.
    QTimer failsafe;
    failsafe.setSingleShot(true);
    connect(&failsafe, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });

    failsafe.start(5000);
    QTimer::singleShot(0, m_form, [this] { m_form->close(); });
    QCOMPARE(QCoreApplication::exec(), 0);

    // Also while hidden after entry.
    m_form->show();
    m_form->hide();
    failsafe.start(5000);
    QTimer::singleShot(0, m_form, [this] { m_form->close(); });
    QCOMPARE(QCoreApplication::exec(), 0);
    failsafe.stop();
}

QTEST_MAIN(TstForm6)
#include "tst_form6.moc"
