#pragma once

#include "scene/ActionConfigItem.h"

class QLabel;
class QLineEdit;

namespace OV {

// A line edit for free text or, with "inputType" "int", a whole number within "min".."max".
class ActionInputConfigItem : public ActionConfigItem
{
    Q_OBJECT
public:
    ActionInputConfigItem(QWidget* parent, const nlohmann::json& component);

    nlohmann::json buildItemJson() override;
    void reset() override;

    QLineEdit* lineEdit() const { return m_edit; }
    bool isInteger() const { return m_integer; }

private:
    QLineEdit* m_edit = nullptr;
    QLabel* m_unitLabel = nullptr;
    QString m_unit;
    bool m_integer = false;
    qint64 m_min = 0;
    qint64 m_max = 0;
};

} // namespace OV
