#include "cards/KestrinCardBasicWhiteNoiseEditor.h"

#include "cards/KestrinCard.h"
#include "widgets/EditStateWatcher.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace OV {

KestrinCardBasicWhiteNoiseEditor::KestrinCardBasicWhiteNoiseEditor(KestrinCard* card)
    : KestrinCardEditor(card, tr("White Noise"), "KestrinCardBasicWhiteNoiseEditor"), m_sound(new QComboBox),
      m_sounds(KestrinChoiceLists::sounds()), m_language(KestrinChoiceLists::language())
{
    form()->setContentsMargins(0, 40, 0, 20);
    m_sound->setEditable(false);
    m_sound->setFixedSize(380, 32);
    QStringList names;
    for (const KestrinChoiceLists::Sound& sound : m_sounds)
        names << sound.name(m_language);
    KestrinChoiceLists::setSearchableItems(m_sound, names);
    addRow(tr("Sound"), m_sound);
    reload();
    watcher()->watch(m_sound);
}

void KestrinCardBasicWhiteNoiseEditor::load()
{
    const std::string id = card()->configuration().value("soundId", std::string());
    int index = 0;
    for (int i = 0; i < m_sounds.size(); ++i) {
        if (m_sounds[i].id.toStdString() == id)
            index = i;
    }
    m_sound->setCurrentIndex(index);
}

void KestrinCardBasicWhiteNoiseEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (!saveDelegate || m_sounds.isEmpty())
        return;
    int index = m_sound->findText(m_sound->currentText());
    if (index < 0 || index >= m_sounds.size())
        index = 0;
    saveDelegate(std::move(resultCallback), m_sounds[index].id, m_sounds[index].name(m_language));
}

} // namespace OV
