#pragma once

#include "core/EventBusMessage.h"
#include "main/MainDeviceListItem.h"

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace OV {

class ProjectDbModuleBean;

// One module's tile in the device row: its picture, an online dot, its profile editor in the
// main window's edit area while selected, and a context menu to configure, inspect, replace or
// delete the module.
class MainDeviceModule : public MainDeviceListItem
{
    Q_OBJECT
public:
    using BeanCallback = std::function<void(const std::shared_ptr<ProjectDbModuleBean>&)>;

    MainDeviceModule(std::shared_ptr<ProjectDbModuleBean> module, QWidget* parent = nullptr);
    ~MainDeviceModule() override;

    int64_t deviceId() const override;
    void reloadEditor() override;

    void showProfileEditor();
    void onClickMenuConfig();
    void onClickMenuDetail();
    void onClickMenuReplace();
    void onClickMenuDelete();

    // The picture of a module tile for a product id; empty for an unknown product.
    static QString pictureFor(uint64_t productId);

    const std::shared_ptr<ProjectDbModuleBean>& module() const { return m_module; }
    QString editKey() const { return m_editKey; }
    bool isScreenCube() const { return m_isScreenCube; }
    bool isOnline() const { return m_online; }
    // Shows the dot lit or dark; nothing happens when it already shows that.
    void setOnline(bool online);
    QWidget* onlineDot() const { return m_onlineDot; }

    BeanCallback removedCallback;
    BeanCallback replacedCallback;

    // The menu entries, by the "id" each action carries.
    enum MenuId {
        MenuConfig = 0,
        MenuDetail = 1,
        MenuReplace = 2,
        MenuDelete = 3,
    };

signals:
    // The context menu just opened (tests answer it from here).
    void contextMenuShown(QMenu* menu);

protected:
    void onSelectedChanged(bool selected) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Builds the profile editor for this module; null when the product has none.
    QWidget* createProfileEditor();
    void onMessage(const QSharedPointer<EventBusMessage>& message);
    // Takes the stored record into the tile's record, which its editor and dialogs share.
    void refreshModule();

    std::shared_ptr<ProjectDbModuleBean> m_module;
    QString m_editKey;
    uint64_t m_productId = 0;
    bool m_isScreenCube = false;
    QWidget* m_onlineDot = nullptr;
    bool m_online = false;
};

} // namespace OV
