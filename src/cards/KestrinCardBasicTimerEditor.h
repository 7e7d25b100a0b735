#pragma once

#include "cards/KestrinCardEditor.h"

#include <functional>

class QComboBox;
class QLineEdit;

namespace OV {

// The timer card's name and time.
class KestrinCardBasicTimerEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, int hour, int min, int sec)>;

    explicit KestrinCardBasicTimerEditor(KestrinCard* card);

    SaveDelegate saveDelegate;

    QLineEdit* nameEdit() const { return m_name; }
    QComboBox* hourBox() const { return m_hour; }
    QComboBox* minBox() const { return m_min; }
    QComboBox* secBox() const { return m_sec; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    QLineEdit* m_name;
    QComboBox* m_hour;
    QComboBox* m_min;
    QComboBox* m_sec;
};

} // namespace OV
