#pragma once

#include "cards/KestrinDragWidget.h"
#include "core/BaseResult.h"

#include <QString>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

class QMenu;

namespace OV {

class MainProfileParamsEditor;
class ProjectDbProfileKsWidgetBean;
class ProjectProfileKsWidgetUseCase;

// A card on the hub-screen strip: the widget side of one stored card record. Its configuration
// is the record's data object, worked on in place; "deploymentData" in it is what the profile
// deploy sends to the hub unchanged.
class KestrinCard : public KestrinDragWidget
{
    Q_OBJECT
public:
    using Bean = ProjectDbProfileKsWidgetBean;
    using BeanPtr = std::shared_ptr<ProjectDbProfileKsWidgetBean>;

    KestrinCard(QWidget* parent, BeanPtr bean);
    ~KestrinCard() override;

    const BeanPtr& bean() const { return m_bean; }
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    const QString& editPanelKey() const { return m_editPanelKey; }
    void setDeleteCallback(std::function<void()> callback) { m_deleteCallback = std::move(callback); }
    // Runs the delete callback, as the context menu's "Delete" does.
    void requestDelete();
    // What a left click does: puts the card's editor into the edit area (a card without one
    // empties the area); a card whose editor is shown keeps it.
    void showEditor();

    // The record's data object.
    nlohmann::json& configuration();
    // configuration()["deploymentData"] and its "param", each made an object when absent.
    nlohmann::json& deploymentData();
    nlohmann::json& param();
    // Points "icon" of the deploy data at the exported image for an icon kept in the project.
    void deployIcon();
    // The name label shows the text, or the configuration's "name" when the text is empty.
    virtual void updateName(const QString& text);
    virtual void setName(const QString& text);

    // Applies an editor's change to the record and stores it with the icon, when given. When the
    // change throws or the store fails, the record in memory and the label are put back as they
    // were, so memory, screen and project stay equal; the callback gets the failure.
    void applyAndSave(const std::function<void()>& change, const BaseResultCallback<void>& callback, QPixmap* icon);

    // Stores the record and, when given, its icon in one transaction.
    void saveWidgetBean(const BaseResultCallback<void>& callback, QPixmap* icon);
    std::shared_ptr<ProjectProfileKsWidgetUseCase> widgetUseCase();

    // The per-type initialisation, run once by the card factory right after construction.
    virtual void init() {}

    void setData(nlohmann::json&& config) override;
    nlohmann::json* data() override;
    bool canDrag(QMouseEvent* event) override;

    // The context menu, made on first use (null before).
    QMenu* contextMenu() const { return m_menu; }

    // Whether the icon text names an image kept in the project (not empty, not an address).
    static bool isLocalIcon(const QString& icon);

protected:
    virtual MainProfileParamsEditor* newConfigEditor();
    void onClicked() override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_deleteCallback;
    QMenu* m_menu = nullptr;
    BeanPtr m_bean;
    std::shared_ptr<ProjectProfileKsWidgetUseCase> m_widgetUseCase;
    bool m_editable = false;
    QString m_editPanelKey;
    // What the label shows, put back when an edit is not stored.
    QString m_shownName;
};

} // namespace OV
