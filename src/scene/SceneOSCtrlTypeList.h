#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QPushButton;

namespace OV {

class SceneOSCtrlConfig;

// The six PC-control types as a column of exclusive buttons; the first is chosen at start.
class SceneOSCtrlTypeList : public QWidget
{
    Q_OBJECT
public:
    SceneOSCtrlTypeList(QWidget* parent, SceneOSCtrlConfig* config);

    std::function<void(const QString& typeId)> onTypeChanged;

    const QString& currentType() const { return m_currentType; }
    // The button of a type id, or null.
    QPushButton* buttonFor(const QString& typeId) const;

private:
    SceneOSCtrlConfig* m_config = nullptr;
    QButtonGroup* m_group = nullptr;
    QString m_currentType;
};

} // namespace OV
