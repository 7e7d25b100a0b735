#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// Runs a list of actions, in order, when pressed on the hub.
class KestrinCardMAMultiAction : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr int kDefaultIconScale = 50;
    static constexpr const char* kIcon = ":/profile/image/icon_ma_multi_action.png";

    KestrinCardMAMultiAction(QWidget* parent, BeanPtr bean);

    void init() override;
    // The label is the bean name as it stands, empty included: that is what a reload shows.
    void updateName(const QString& text) override { setName(text); }
    // Throws the JSON library's error for an element without "deployData".
    void setConfig(const nlohmann::json& actionList);

    int iconScale() const { return m_iconScale; }
    void setIconScale(int scale) { m_iconScale = scale; }

private:
    int m_iconScale = kDefaultIconScale;

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
