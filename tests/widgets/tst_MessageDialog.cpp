#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"
#include "widgets/WaitDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopedPointer>
#include <QScreen>
#include <QTest>

using namespace OV;

namespace {

// The picture of the index-th label that shows one.
QImage labelImage(QWidget* owner, int index)
{
    QList<QLabel*> withPictures;
    for (QLabel* label : owner->findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            withPictures << label;
    }
    return withPictures.value(index) ? withPictures[index]->pixmap().toImage() : QImage();
}

QImage scaled(const char* resource, int side)
{
    return QPixmap(QLatin1String(resource)).scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation).toImage();
}

// Notes a widget's geometry as its show event arrives, before the widget's own handler runs.
class GeometryAtShow : public QObject
{
public:
    explicit GeometryAtShow(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    QRect geometry;
    int shows = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_widget && event->type() == QEvent::Show) {
            geometry = m_widget->geometry();
            ++shows;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_widget;
};

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT
private slots:
    void askSaveChangesTextsAndButtons()
    {
        QPointer<MessageDialog> d = MessageDialog::askSaveChanges(QString(), true);
        QVERIFY(d->isVisible());
        QCOMPARE(d->text(), QStringLiteral("Do you want to save the changes"));
        QCOMPARE(d->title(), QStringLiteral("Save"));
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        QCOMPARE(d->size(), QSize(400, 200));
        QCOMPARE(d->button1->text(), QStringLiteral("Save"));
        QCOMPARE(d->button2->text(), QStringLiteral("Don't Save"));
        QCOMPARE(d->button3->text(), QStringLiteral("Cancel"));

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

        QScopedPointer<MessageDialog> withText(MessageDialog::askSaveChanges(QStringLiteral("Keep the card?"), false));
        QCOMPARE(withText->text(), QStringLiteral("Keep the card?"));
        QVERIFY(!withText->isVisible());
    }

    void kindsAndOkButton()
    {
        const std::tuple<MessageDialog*, const char*, const char*> cases[] = {
            {MessageDialog::error(QStringLiteral("e"), true), "Error", ":/window/image/dialog_icon_error.png"},
            {MessageDialog::warning(QStringLiteral("w"), true), "Warning", ":/window/image/dialog_icon_warning.png"},
            {MessageDialog::information(QStringLiteral("i"), true), "Information",
             ":/window/image/dialog_icon_info.png"},
        };
        for (const auto& [dialog, title, picture] : cases) {
            QPointer<MessageDialog> d = dialog;
            QCOMPARE(d->windowTitle(), QLatin1String(title));
            QVERIFY(d->button1->isHidden() && d->button2->isHidden());
            QCOMPARE(d->button3->text(), QStringLiteral("Ok"));
            QCOMPARE(labelImage(d, 1), scaled(picture, 40)); // 0 is the title-bar icon
            QTest::mouseClick(d->button3, Qt::LeftButton);
            QTRY_VERIFY(!d);
        }
        MessageDialog odd(nullptr, MessageDialog::Warning);
        odd.setIcon(static_cast<MessageDialog::Icon>(7)); // unknown: no picture
        QVERIFY(labelImage(&odd, 1).isNull());
    }

    // A text of any length stays whole and above the buttons; a short one keeps the fixed size.
    void longTextGrowsTheDialog_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("grows");
        QTest::newRow("one line") << QStringLiteral("Save project file success.") << false;
        QTest::newRow("error with details")
            << QStringLiteral("Open project failed. Details: the file is not a readable project database: file is "
                              "not a database. Choose a project file made by this program and try again.")
                   .repeated(2)
            << true;
        QTest::newRow("many lines") << QStringLiteral("line\n").repeated(12) << true;
    }

    void longTextGrowsTheDialog()
    {
        QFETCH(QString, text);
        QFETCH(bool, grows);
        QScopedPointer<MessageDialog> d(MessageDialog::error(text, true));
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QLabel* label = d->findChild<QLabel*>(QStringLiteral("messageText"));
        QVERIFY(label);
        QCOMPARE(d->width(), 400);
        QCOMPARE(d->height() > 200, grows);
        QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(text));
        const int labelBottom = label->mapTo(d.get(), QPoint(0, label->height())).y();
        QVERIFY(labelBottom <= d->button3->mapTo(d.get(), QPoint(0, 0)).y());

        // A text set while shown is fitted too.
        d->setText(text + QLatin1Char(' ') + text);
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
    }

    // A window manager places a window by the size it is mapped with: a long text is fitted
    // before the show, so the dialog shows at its final size, centred for it.
    void longTextIsFittedBeforeTheShow()
    {
        QScopedPointer<MessageDialog> d(MessageDialog::error(QStringLiteral("line\n").repeated(12), false));
        GeometryAtShow atShow(d.get());
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QTest::qWait(50); // a fit queued behind the show has run by now
        QCOMPARE(atShow.shows, 1);
        QVERIFY2(d->height() > 200, qPrintable(QString::number(d->height())));
        QCOMPARE(atShow.geometry, d->geometry());
        const QRect area = d->screen()->availableGeometry();
        const QPoint centred(area.x() + (area.width() - d->width()) / 2, area.y() + (area.height() - d->height()) / 2);
        QCOMPARE(d->pos(), centred);
    }

    void answerProviderAnswersWithoutBlocking()
    {
        MessageDialog::setAnswerProvider([](MessageDialog& d) { return d.text() == QLatin1String("stays") ? 0 : 1; });
        QPointer<MessageDialog> d = MessageDialog::askSaveChanges(QStringLiteral("Save profile?"), true);
        d->button1Handler = [](BaseDialog& dialog) { dialog.close(); }; // assigned after the show
        QTRY_VERIFY(!d);
        QScopedPointer<MessageDialog> open(MessageDialog::warning(QStringLiteral("stays"), true));
        QTest::qWait(20);
        QVERIFY(open->isVisible());
        MessageDialog::setAnswerProvider({});
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
        QCOMPARE(toast->geometry(), QRect(parent.mapToGlobal(QPoint(720, 600)), QSize(260, 80)));
        QVERIFY(toast->isVisible());

        // Passive: no popup grab, no focus taken, clicks pass through.
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QVERIFY(toast->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QVERIFY(toast->windowFlags() & Qt::WindowTransparentForInput);
        QTest::qWait(50);
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(QApplication::activeWindow(), &parent);

        QTRY_VERIFY_WITH_TIMEOUT(!toast, 2000);
        // The close timer is a coarse one, which may fire up to 5% early.
        QVERIFY2(clock.elapsed() >= 285, qPrintable(QString::number(clock.elapsed())));

        QScopedPointer<ToastWidget> error(ToastWidget::showError(&parent, QStringLiteral("Failed"), false, 100));
        QCOMPARE(labelImage(error.get(), 0), scaled(":/window/image/dialog_icon_error.png", 32));
    }

    void waitDialogShownTwiceClosesOnce()
    {
        auto* wait = new WaitDialog(nullptr, 150);
        QPointer<WaitDialog> guard(wait);
        int closes = 0;
        wait->setClosedHandler([&] { ++closes; });
        wait->show();
        wait->hide();
        wait->show();
        QTRY_VERIFY_WITH_TIMEOUT(!guard, 2000);
        QCOMPARE(closes, 1);

        WaitDialog endless(nullptr, -1);
        endless.show();
        QTest::qWait(50);
        QVERIFY(endless.isVisible()); // a negative time-out never closes it
    }
};

ORVEL_WIDGET_TEST_MAIN(TestMessageDialog, 1920, 1040)
#include "tst_MessageDialog.moc"
