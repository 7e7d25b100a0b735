#pragma once

#include "widgets/BaseWindow.h"

#include <QString>

class QVBoxLayout;

namespace OV {

class StorePluginPanel;

// "App and Plugin Store": a category bar and, for the current category, its panel. The only
// category is "Plugin". Application-modal, deleted on close, maximised when shown.
class StoreWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit StoreWindow(QWidget* parent = nullptr);
    ~StoreWindow() override;

    // The live store window, null when there is none.
    static StoreWindow* instance();

    QString currentCategory() const { return m_currentCategory; }
    StorePluginPanel* pluginPanel() const { return m_pluginPanel; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildCategoryBar(QWidget* parent);
    void showCategoryContent();

    QString m_currentCategory;
    StorePluginPanel* m_pluginPanel = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
};

} // namespace OV
