#include "core/Application.h"
#include "support/TestUtils.h"
#include "widgets/MessageDialog.h"

#include <QTest>
#include <QWidget>

#include <stdexcept>

using namespace OV;

namespace {

// A handler that fails the way a handler reading a damaged record used to.
class ThrowingWidget : public QWidget
{
protected:
    void mousePressEvent(QMouseEvent* /*event*/) override { throw std::runtime_error("damaged record"); }
};

} // namespace

class TestEscapedException : public QObject
{
    Q_OBJECT
private slots:
    // The application's last resort: an exception out of an event handler is logged and
    // reported, and the program goes on.
    void escapedExceptionIsLoggedAndReported()
    {
        QStringList messages;
        MessageDialog::setAnswerProvider([&messages](MessageDialog& dialog) {
            messages << dialog.text();
            return 3;
        });
        ThrowingWidget widget;
        widget.resize(40, 40);
        widget.show();
        Test::LogCapture log;
        QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE(messages, QStringList{QStringLiteral("unknown error")});
        QVERIFY(log.text().contains(
            QLatin1String("exception escaped an event handler: damaged record, receiver: QWidget, event: 2")));
        MessageDialog::setAnswerProvider({});
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    TestEscapedException test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_EscapedException.moc"
