#include "cards/KestrinCardBasicTimerEditor.h"

#include "cards/KestrinCard.h"
#include "cards/KestrinChoiceLists.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "widgets/EditStateWatcher.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace OV {

KestrinCardBasicTimerEditor::KestrinCardBasicTimerEditor(KestrinCard* card)
    : KestrinCardEditor(card, tr("Timer"), "KestrinCardBasicTimerEditor"), m_name(new QLineEdit), m_hour(new QComboBox),
      m_min(new QComboBox), m_sec(new QComboBox)
{
    m_name->setFixedHeight(32);
    m_name->setMaxLength(64);
    addRow(tr("Name"), m_name);
    auto* times = new QWidget(contentWidget());
    times->setFixedSize(kRowWidth, kRowHeight);
    auto* layout = new QHBoxLayout(times);
    layout->setContentsMargins(16, 0, 16, 0);
    const QString labels[] = {tr("Hour"), tr("Min"), tr("Second")};
    QComboBox* boxes[] = {m_hour, m_min, m_sec};
    const int counts[] = {24, 60, 60};
    for (int i = 0; i < 3; ++i) {
        layout->addWidget(makeLabel(labels[i], i == 0 ? 80 : 50, times));
        boxes[i]->setParent(times);
        boxes[i]->setEditable(false);
        boxes[i]->setFixedSize(80, 32);
        KestrinChoiceLists::setSearchableItems(boxes[i], KestrinChoiceLists::numbers(counts[i]));
        layout->addWidget(boxes[i]);
    }
    layout->addStretch(1);
    form()->addWidget(times);
    reload();
    watcher()->watch(m_name);
    for (QComboBox* box : boxes)
        watcher()->watch(box);
}

void KestrinCardBasicTimerEditor::load()
{
    m_name->setText(card()->bean()->name);
    const nlohmann::json& config = card()->configuration();
    const std::pair<const char*, QComboBox*> fields[] = {{"hour", m_hour}, {"min", m_min}, {"sec", m_sec}};
    for (const auto& [key, box] : fields) {
        const int index = box->findText(QString::number(config.at(key).get<int>()));
        if (index >= 0)
            box->setCurrentIndex(index);
    }
}

void KestrinCardBasicTimerEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    if (saveDelegate)
        saveDelegate(std::move(resultCallback), m_name->text().trimmed(), m_hour->currentIndex(), m_min->currentIndex(),
                     m_sec->currentIndex());
}

} // namespace OV
