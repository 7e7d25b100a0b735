#include "cards/KestrinCardModuleEditor.h"
#include "core/Utils.h"

#include "cards/KestrinCard.h"
#include "core/EventBus.h"
#include "module/ModuleRecordWriter.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "store/StoreUtils.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace OV {

KestrinCardModuleEditor::KestrinCardModuleEditor(KestrinCard* card, Modules modules, const QString& moduleLabel,
                                                 const char* tag)
    : KestrinCardEditor(card, OV::fromStdText(card->configuration().value("name", std::string())), tag),
      m_modules(std::move(modules)), m_name(new QLineEdit), m_module(new QComboBox)
{
    m_name->setFixedSize(400, 32);
    m_name->setMaxLength(64);
    m_module->setFixedSize(400, 32);
    m_module->setEditable(false);
    addRow(tr("Name"), m_name);
    addRow(moduleLabel, m_module);
    reload();
    watcher()->watch(m_name);
    watcher()->watch(m_module);
    // A module renamed or replaced while the editor is up is listed as it is stored now.
    connect(EventBus::instance(), &EventBus::messagePosted, this,
            [this](const QSharedPointer<EventBusMessage>& message) {
                if (const int64_t removed = ModuleRecordWriter::removedRecordId(message); removed >= 0) {
                    dropModule(removed);
                    return;
                }
                if (const int64_t added = ModuleRecordWriter::addedRecordId(message); added >= 0) {
                    takeModule(added);
                    return;
                }
                const int64_t id = ModuleRecordWriter::storedRecordId(message);
                for (size_t i = 0; i < m_modules.size(); ++i) {
                    if (m_modules[i]->id == id && ModuleRecordWriter::refreshFromStore(*m_modules[i]))
                        m_module->setItemText(static_cast<int>(i),
                                              m_modules[i]->name + QStringLiteral(" - ") + m_modules[i]->sn);
                }
            });
}

void KestrinCardModuleEditor::load()
{
    m_name->setText(card()->bean()->name);
    m_module->clear();
    const std::string uid = card()->configuration().value("moduleUid", std::string());
    int selected = -1;
    for (size_t i = 0; i < m_modules.size(); ++i) {
        m_module->addItem(m_modules[i]->name + QStringLiteral(" - ") + m_modules[i]->sn);
        if (std::to_string(m_modules[i]->id) == uid)
            selected = static_cast<int>(i);
    }
    m_module->setCurrentIndex(selected);
}

void KestrinCardModuleEditor::dropModule(int64_t id)
{
    const auto found =
        std::find_if(m_modules.begin(), m_modules.end(),
                     [id](const std::shared_ptr<ProjectDbModuleBean>& module) { return module->id == id; });
    if (found == m_modules.end())
        return;
    const int index = static_cast<int>(found - m_modules.begin());
    const bool chosen = m_module->currentIndex() == index;
    // The list changes under the user, who changed nothing: a combo box moves its choice to a
    // neighbour when the chosen item goes, which must not bind the card to another module.
    const bool watching = watcher()->isWatching();
    watcher()->setWatching(false);
    m_modules.erase(found);
    m_module->removeItem(index);
    if (chosen)
        m_module->setCurrentIndex(-1);
    watcher()->setWatching(watching);
}

void KestrinCardModuleEditor::takeModule(int64_t id)
{
    if (!offers || std::any_of(m_modules.begin(), m_modules.end(),
                               [id](const std::shared_ptr<ProjectDbModuleBean>& module) { return module->id == id; }))
        return;
    const auto stored = ModuleRecordWriter::read(id);
    if (!stored.isOk() || !offers(**stored.data))
        return;
    const int chosen = m_module->currentIndex();
    // The user changed nothing, and a combo box that was empty takes its first item as the
    // choice: the card must stay bound to what it was.
    const bool watching = watcher()->isWatching();
    watcher()->setWatching(false);
    m_modules.push_back(*stored.data);
    m_module->addItem(m_modules.back()->name + QStringLiteral(" - ") + m_modules.back()->sn);
    m_module->setCurrentIndex(chosen);
    watcher()->setWatching(watching);
}

void KestrinCardModuleEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (!saveDelegate)
        return;
    const int index = m_module->currentIndex();
    QString uid;
    if (index >= 0 && index < static_cast<int>(m_modules.size())) {
        const int64_t id = m_modules[static_cast<size_t>(index)]->id;
        // The list follows deletes it is told of; the store has the last word.
        const auto stored = ModuleRecordWriter::read(id);
        if (!stored.isOk()) {
            if (stored.code() != Errors::NoRowsAffected.code) {
                MessageDialog::error(formatErrorDetails(stored), true);
                return;
            }
            dropModule(id);
            MessageDialog::error(tr("The chosen module has been deleted. Choose another module and save again."), true);
            return;
        }
        uid = QString::number(id);
    }
    saveDelegate(std::move(resultCallback), m_name->text().trimmed(), uid);
}

} // namespace OV
