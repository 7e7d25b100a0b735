#pragma once

#include "cards/KestrinCardEditor.h"
#include "cards/KestrinChoiceLists.h"

#include <functional>

class QComboBox;

namespace OV {

// The soundscape a white-noise card plays.
class KestrinCardBasicWhiteNoiseEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate =
        std::function<void(BaseResultCallback<void>, const QString& soundId, const QString& soundName)>;

    explicit KestrinCardBasicWhiteNoiseEditor(KestrinCard* card);

    SaveDelegate saveDelegate;
    QComboBox* soundBox() const { return m_sound; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    QComboBox* m_sound;
    QList<KestrinChoiceLists::Sound> m_sounds;
    QString m_language;
};

} // namespace OV
