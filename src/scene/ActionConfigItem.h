#pragma once

#include <QString>
#include <QWidget>

#include <nlohmann/json.hpp>

class QGroupBox;
class QVBoxLayout;

namespace OV {

// One parameter of a hub action, made from a component of the node's "components": a titled
// group holding the input. Invalid input is shown in an error message at once.
class ActionConfigItem : public QWidget
{
    Q_OBJECT
public:
    // Throws the JSON library's errors for a component without a string "id".
    ActionConfigItem(QWidget* parent, const nlohmann::json& component);

    // {"params": {"id", "value"}, "desc": text}, or null when the input is not valid.
    virtual nlohmann::json buildItemJson() = 0;
    // Back to the initial input.
    virtual void reset() = 0;

    const QString& id() const { return m_id; }
    const QString& title() const { return m_title; }

protected:
    // The item's result for a value and the text that describes it.
    nlohmann::json makeItemJson(nlohmann::json value, const QString& valueText) const;
    // A JSON number as a whole number, a fraction cut off, clamped into the 64-bit range; throws
    // the JSON library's type error for anything that is not a number.
    static qint64 wholeNumber(const nlohmann::json& value);

    nlohmann::json m_component;
    QString m_id;
    QString m_title;
    QGroupBox* m_groupBox = nullptr;
    QVBoxLayout* m_groupLayout = nullptr;
};

// The item for a component by its "uiType" ("input", "select", "seekbar", "color_picker", in
// any case); throws std::invalid_argument "unknown uiType:" followed by the value otherwise.
ActionConfigItem* createActionConfigItem(const nlohmann::json& component, QWidget* parent);

} // namespace OV
