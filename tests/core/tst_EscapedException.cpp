#include "core/Application.h"
#include "support/TestUtils.h"
#include "widgets/MessageDialog.h"

#include <QTest>

#include <stdexcept>

using namespace OV;

namespace {

// A handler that fails the way a handler reading a damaged record used to.
class ThrowingObject : public QObject
{
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("damaged record");
        return QObject::event(event);
    }
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
        ThrowingObject object;
        Test::LogCapture log;
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QTRY_COMPARE(messages, QStringList{QStringLiteral("unknown error")});
        QVERIFY(log.text().contains(
            QLatin1String("exception escaped an event handler: damaged record, receiver: QObject, event: 1000")));
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
