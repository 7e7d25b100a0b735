#include "cards/KestrinCardModuleEditor.h"
#include "core/Utils.h"

#include "cards/KestrinCard.h"
#include "core/EventBus.h"
#include "module/ModuleRecordWriter.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "widgets/EditStateWatcher.h"

#include <QComboBox>
#include <QLineEdit>

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

void KestrinCardModuleEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (!saveDelegate)
        return;
    const int index = m_module->currentIndex();
    const QString uid = index >= 0 && index < static_cast<int>(m_modules.size())
                            ? QString::number(m_modules[static_cast<size_t>(index)]->id)
                            : QString();
    saveDelegate(std::move(resultCallback), m_name->text().trimmed(), uid);
}

} // namespace OV
