#include "main/EditStatePanel.h"

#include "widgets/BaseWidget.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>

namespace OV {

namespace {
constexpr int kTitleBarHeight = 34;
}

EditStatePanel::EditStatePanel(QWidget* parent)
    : BaseEditPanel(parent, QStringLiteral("titleBar2"), kTitleBarHeight, tr("EditStatePanel"))
{
    QHBoxLayout* viewPage = addButtonPage();
    m_editButton = addButton(viewPage, tr("Edit"), true);
    QHBoxLayout* editPage = addButtonPage();
    m_saveButton = addButton(editPage, tr("Save"), true);
    m_cancelButton = addButton(editPage, tr("Cancel"), false);
    buttonStack()->setCurrentIndex(0);
    contentWidget()->setEnabled(false);

    connect(m_editButton, &QPushButton::clicked, this, [this] { enterEdit(); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { exitEdit(false); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { saveEdit(); });
}

void EditStatePanel::enterEdit()
{
    if (m_editing)
        return;
    buttonStack()->setCurrentIndex(1);
    contentWidget()->setEnabled(true);
    m_editing = true;
    onEnterEdit();
    if (enterEditHandler)
        enterEditHandler();
}

void EditStatePanel::exitEdit(bool)
{
    if (!m_editing)
        return;
    // The question is asked whether or not anything changed; "Cancel" keeps editing.
    MessageDialog* dialog = MessageDialog::askSaveChanges(QString(), true);
    QPointer<EditStatePanel> self(this);
    dialog->button1Handler = [self](BaseDialog& box) {
        box.close();
        if (self)
            self->saveEdit();
    };
    dialog->button2Handler = [self](BaseDialog& box) {
        box.close();
        if (self)
            self->finishEdit(false);
    };
}

void EditStatePanel::saveEdit()
{
    runSave([this] { finishEdit(true); });
}

void EditStatePanel::finishEdit(bool saved)
{
    buttonStack()->setCurrentIndex(0);
    contentWidget()->setEnabled(false);
    m_editing = false;
    onExitEdit(saved);
    if (exitEditHandler)
        exitEditHandler(saved);
}

void EditStatePanel::onEnterEdit() {}

void EditStatePanel::onExitEdit(bool) {}

} // namespace OV
