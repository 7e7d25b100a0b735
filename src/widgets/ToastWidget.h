#pragma once

#include <QFrame>

class QLabel;
class QTimer;

namespace OV {

// A short-lived note in the lower right corner of a parent window. It never takes the keyboard
// focus or a mouse click: it is a passive window shown without activation.
class ToastWidget : public QFrame
{
    Q_OBJECT
public:
    enum Type {
        Info = 0,
        Warning = 1,
        Error = 2,
    };

    explicit ToastWidget(QWidget* parent = nullptr);

    // Any value above Error shows the error picture.
    void setType(int type);
    void setText(const QString& text);
    QString text() const;
    void popup(int durationMs);

    static ToastWidget* showInfo(QWidget* parent, const QString& text, bool show, int durationMs);
    static ToastWidget* showError(QWidget* parent, const QString& text, bool show, int durationMs);

protected:
    // The rounded panel comes from the style sheet; a translucent window does not paint it itself.
    void paintEvent(QPaintEvent* event) override;

private:
    static ToastWidget* create(QWidget* parent, Type type, const QString& text, bool show, int durationMs);

    QLabel* m_iconLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    QTimer* m_closeTimer = nullptr;
};

} // namespace OV
