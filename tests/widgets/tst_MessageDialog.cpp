#include "core/ThemeLoader.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BusyIndicator.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"
#include "widgets/WaitDialog.h"
#include "widgets/frameless/FramelessWidgetsHelper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace OV;

namespace {

// Counts the close events a widget receives.
class CloseCounter : public QObject
{
public:
    int closes = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            ++closes;
        return false;
    }
};

QImage labelImage(QWidget* owner, int index)
{
    const QList<QLabel*> labels = owner->findChildren<QLabel*>();
    QList<QLabel*> withPictures;
    for (QLabel* label : labels) {
        if (!label->pixmap().isNull())
            withPictures << label;
    }
    return withPictures.value(index) ? withPictures[index]->pixmap().toImage() : QImage();
}

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { MessageDialog::setAnswerProvider({}); }

    void askSaveChangesTextsAndButtons()
    {
        QPointer<MessageDialog> d = MessageDialog::askSaveChanges(QString(), true);
        QVERIFY(d->isVisible());
        QCOMPARE(d->text(), QStringLiteral("Do you want to save the changes"));
        QCOMPARE(d->title(), QStringLiteral("Save"));
        QCOMPARE(d->windowTitle(), QStringLiteral("Information"));
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        QCOMPARE(d->size(), QSize(400, 200));
        QVERIFY(d->button1->isVisible() && d->button2->isVisible() && d->button3->isVisible());
        QCOMPARE(d->button1->text(), QStringLiteral("Save"));
        QCOMPARE(d->button2->text(), QStringLiteral("Don't Save"));
        QCOMPARE(d->button3->text(), QStringLiteral("Cancel"));
        QCOMPARE(d->button1->styleSheet(), ThemeLoader::instance()->load(QStringLiteral("primary_button")));
        QVERIFY(!d->button1->styleSheet().isEmpty());
        QVERIFY(d->button2->styleSheet().isEmpty());
        QVERIFY(d->button3->styleSheet().isEmpty());

        // Save and Don't Save only run their handlers; Cancel closes and deletes.
        QStringList ran;
        d->button1Handler = [&](BaseDialog&) { ran << "save"; };
        d->button2Handler = [&](BaseDialog&) { ran << "discard"; };
        QTest::mouseClick(d->button1, Qt::LeftButton);
        QTest::mouseClick(d->button2, Qt::LeftButton);
        QCOMPARE(ran, QStringList({"save", "discard"}));
        QVERIFY(d->isVisible());
        QTest::mouseClick(d->button3, Qt::LeftButton);
        QTRY_VERIFY(!d);

        QPointer<MessageDialog> withText = MessageDialog::askSaveChanges(QStringLiteral("Keep the card?"), false);
        QCOMPARE(withText->text(), QStringLiteral("Keep the card?"));
        QVERIFY(!withText->isVisible());
        delete withText;
    }

    void kindsAndOkButton()
    {
        struct Case
        {
            MessageDialog* dialog;
            const char* title;
            const char* picture;
        };
        const QList<Case> cases = {
            {MessageDialog::error(QStringLiteral("e"), true), "Error", ":/window/image/dialog_icon_error.png"},
            {MessageDialog::warning(QStringLiteral("w"), true), "Warning", ":/window/image/dialog_icon_warning.png"},
            {MessageDialog::information(QStringLiteral("i"), false), "Information",
             ":/window/image/dialog_icon_info.png"},
        };
        for (const Case& c : cases) {
            QPointer<MessageDialog> d = c.dialog;
            QCOMPARE(d->windowTitle(), QLatin1String(c.title));
            QVERIFY(d->button1->isHidden() && d->button2->isHidden());
            QCOMPARE(d->button3->text(), QStringLiteral("Ok"));
            QVERIFY(d->testAttribute(Qt::WA_DeleteOnClose));
            QVERIFY(d->framelessHelper()->isWindowFixedSize());
            const QImage expected = QPixmap(QLatin1String(c.picture))
                                        .scaled(40, 40, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                        .toImage();
            QCOMPARE(labelImage(d, 1), expected); // 0 is the title-bar icon
            d->show();
            QTest::mouseClick(d->button3, Qt::LeftButton);
            QTRY_VERIFY(!d);
        }

        MessageDialog odd(nullptr, MessageDialog::Warning);
        odd.setIcon(static_cast<MessageDialog::Icon>(7));
        QCOMPARE(odd.windowTitle(), QStringLiteral("Warning"));
        QVERIFY(labelImage(&odd, 1).isNull());
    }

    void answerProviderAnswersWithoutBlocking()
    {
        QStringList seen;
        MessageDialog::setAnswerProvider([&](MessageDialog& d) {
            seen << d.text();
            return 1;
        });
        bool saved = false;
        QPointer<MessageDialog> d = MessageDialog::askSaveChanges(QStringLiteral("Save profile?"), true);
        d->button1Handler = [&](BaseDialog& dialog) {
            saved = true;
            dialog.close();
        };
        QTRY_VERIFY(saved);
        QTRY_VERIFY(!d);
        QCOMPARE(seen, QStringList({"Save profile?"}));

        MessageDialog::setAnswerProvider([](MessageDialog&) { return 3; });
        QPointer<MessageDialog> error = MessageDialog::error(QStringLiteral("Failed"), true);
        QTRY_VERIFY(!error);

        MessageDialog::setAnswerProvider([](MessageDialog&) { return 0; });
        QPointer<MessageDialog> open = MessageDialog::warning(QStringLiteral("stays"), true);
        QTest::qWait(20);
        QVERIFY(open && open->isVisible());
        delete open;
    }

    void toastPlacementAndLifetime()
    {
        QWidget parent;
        parent.resize(1000, 700);
        parent.move(100, 50);
        auto* edit = new QLineEdit(&parent);
        parent.show();
        QApplication::setActiveWindow(&parent);
        edit->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&parent));

        QElapsedTimer clock;
        clock.start();
        QPointer<ToastWidget> toast = ToastWidget::showInfo(&parent, QStringLiteral("Saved"), true, 300);
        QCOMPARE(toast->pos(), parent.mapToGlobal(QPoint(720, 600)));
        QCOMPARE(toast->size(), QSize(260, 80));
        QCOMPARE(toast->text(), QStringLiteral("Saved"));
        QVERIFY(toast->isVisible());

        // Passive: no popup grab, no focus taken, clicks pass through.
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QVERIFY(toast->windowType() != Qt::Popup);
        QVERIFY(toast->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QVERIFY(toast->windowFlags() & Qt::WindowTransparentForInput);
        QTest::qWait(50);
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(QApplication::activeWindow(), &parent);

        QTRY_VERIFY_WITH_TIMEOUT(!toast, 2000);
        QVERIFY(clock.elapsed() >= 290);

        QPointer<ToastWidget> error = ToastWidget::showError(&parent, QStringLiteral("Failed"), false, 100);
        QVERIFY(!error->isVisible());
        const QImage errorPicture = QPixmap(QStringLiteral(":/window/image/dialog_icon_error.png"))
                                        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                        .toImage();
        QCOMPARE(labelImage(error, 0), errorPicture);
        error->setType(ToastWidget::Info);
        QVERIFY(labelImage(error, 0) != errorPicture);
        error->setType(3);
        QCOMPARE(labelImage(error, 0), errorPicture);
        delete error;
    }

    void waitDialogShownTwiceClosesOnce()
    {
        auto* wait = new WaitDialog(nullptr, 150);
        QCOMPARE(WaitDialog(nullptr).timeout(), 30000);
        QPointer<WaitDialog> guard(wait);
        CloseCounter counter;
        wait->installEventFilter(&counter);
        wait->setText(QStringLiteral("Connecting..."));
        wait->show();
        QCOMPARE(wait->size(), QSize(250, 100));
        QCOMPARE(wait->windowModality(), Qt::ApplicationModal);
        wait->hide();
        wait->show();
        QTRY_VERIFY_WITH_TIMEOUT(!guard, 2000);
        QCOMPARE(counter.closes, 1);
    }

    void waitDialogPlacesIndicatorAndText()
    {
        WaitDialog wait(nullptr, -1);
        wait.setText(QStringLiteral("Please wait"));
        wait.show();
        auto* indicator = wait.findChild<BusyIndicator*>();
        auto* label = wait.findChild<QLabel*>(QStringLiteral("waitText"));
        QWidget* content = indicator->parentWidget();
        QTRY_COMPARE(indicator->geometry().left(), 20);
        QTRY_COMPARE(indicator->geometry().center().y(), content->rect().center().y());
        QTRY_COMPARE(label->geometry().left(), indicator->geometry().right() + 20);
        QTRY_COMPARE(label->geometry().right(), content->rect().right() - 20);
        QTest::qWait(50);
        QVERIFY(wait.isVisible()); // a negative time-out never closes it
    }

    void busyIndicatorSpins()
    {
        BusyIndicator busy;
        busy.resize(50, 50);
        busy.show();
        QCOMPARE(busy.arcRect(), QRectF(3, 3, 44, 44));
        QCOMPARE(busy.color(), QColor::fromRgb(0xA7C442));
        QTRY_VERIFY(busy.angle() > 0);
        QCOMPARE(busy.angle() % 4, 0);
        busy.setAngleStep(170);
        QTRY_VERIFY(busy.angle() % 4 != 0); // 170-degree steps now, kept below 360
        QVERIFY(busy.angle() < 360);
        busy.hide();
        const int hidden = busy.angle();
        QTRY_VERIFY(busy.angle() != hidden); // hiding does not stop it
    }
};

ORVEL_WIDGET_TEST_MAIN(TestMessageDialog, 1920, 1040)
#include "tst_MessageDialog.moc"
