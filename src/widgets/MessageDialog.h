#pragma once

#include "widgets/BaseDialog.h"

#include <functional>

class QLabel;

namespace OV {

// A small application-modal box with an icon, a text and buttons, for errors, warnings,
// information and the save-changes question.
class MessageDialog : public BaseDialog
{
    Q_OBJECT
public:
    enum Icon {
        Information = 0,
        Warning = 1,
        Error = 2,
    };

    explicit MessageDialog(QWidget* parent = nullptr, Icon icon = Information);

    void setIcon(Icon icon);
    void setText(const QString& text);
    QString text() const;

    static MessageDialog* error(const QString& text, bool show);
    static MessageDialog* information(const QString& text, bool show);
    static MessageDialog* warning(const QString& text, bool show);
    static MessageDialog* askSaveChanges(const QString& text, bool show);

    // For tests: while set, every message dialog that is shown is answered right after the event
    // loop regains control (so the caller can still assign its handlers) by clicking the button
    // (1 to 3) that the provider returns; 0 leaves the dialog open. Nothing ever waits on a user.
    using AnswerProvider = std::function<int(MessageDialog& dialog)>;
    static void setAnswerProvider(AnswerProvider provider);

protected:
    void prepareToShow() override;
    void showEvent(QShowEvent* event) override;

private:
    static MessageDialog* create(Icon icon, const QString& text, bool show);
    // Grows the dialog downwards until the wrapped text fits above the buttons.
    void fitToText();

    QLabel* m_iconLabel = nullptr;
    QLabel* m_textLabel = nullptr;
};

} // namespace OV
