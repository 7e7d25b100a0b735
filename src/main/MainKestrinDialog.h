#pragma once

#include "device/KestrinSearchResult.h"
#include "device/KestrinSearcher.h"
#include "widgets/BaseWindow.h"

#include <functional>
#include <optional>

class QListWidget;
class QPushButton;

namespace OV {

class BaseWidgetSelectGroup;

// "Search Kestrin": lists the hubs that answer discovery while it is shown; the chosen one is
// stored as the project's host record.
class MainKestrinDialog : public BaseWindow
{
    Q_OBJECT
public:
    explicit MainKestrinDialog(bool hasHost);

    // Runs after the chosen hub was stored.
    std::function<void()> savedHandler;

    BaseWidget* createRow(bool header, const QString& first, const QString& second);
    void onSelected(BaseWidget* row);
    void onPairSucceed();

    QListWidget* hubList() const { return m_list; }
    QPushButton* confirmButton() const { return m_confirmButton; }
    KestrinSearcher* searcher() const { return m_searcher; }
    BaseWidgetSelectGroup* rowGroup() const { return m_rowGroup; }

    // Where discovery asks: tests point every dialog made from now on at a loopback responder;
    // unset is the product's broadcast.
    static void setSearchOptions(std::optional<KestrinSearchOptions> options);

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void showEvent(QShowEvent* event) override;
    void onClose() override;

private:
    void addFound(const KestrinSearchResult& result);

    KestrinSearcher* m_searcher = nullptr;
    QPushButton* m_manualButton = nullptr;
    QPushButton* m_confirmButton = nullptr;
    QListWidget* m_list = nullptr;
    BaseWidgetSelectGroup* m_rowGroup = nullptr;
};

} // namespace OV

Q_DECLARE_METATYPE(OV::KestrinSearchResult)
