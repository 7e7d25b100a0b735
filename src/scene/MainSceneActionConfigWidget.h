#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace OV {

class EditStateWatcher;
class SceneActionListWidget;

// The editor of one module event: the "Prompt Dialog" section (enabled, icon, name) and, in
// its own group, the event's action list.
class MainSceneActionConfigWidget : public QWidget
{
    Q_OBJECT
public:
    // Throws std::invalid_argument "editStateWatcher is null" for a null watcher.
    MainSceneActionConfigWidget(QWidget* parent, EditStateWatcher* watcher);

    // Writes the event shown before back, then shows this one: its prompt switch, name (the
    // default name when it has none) and picture, and its action list. The event stays in the
    // caller's data and is edited there until another is shown or it is detached.
    void loadEventConfig(int64_t ownerId, const QString& promptIconPath, const QString& defaultName,
                         nlohmann::json* event);
    // Writes the shown event back; nothing when none is shown.
    void saveEventConfig();
    // Forgets the shown event without writing it, before the data it lives in is replaced.
    void detachEvent() { m_event = nullptr; }
    nlohmann::json* shownEvent() const { return m_event; }

    // The "Action List" group holding the action list (made once; the caller places it).
    QGroupBox* createActionListGroup();

    QCheckBox* enabledBox() const { return m_enabledBox; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QPushButton* iconButton() const { return m_iconButton; }
    SceneActionListWidget* actionListWidget() const { return m_actionList; }

    // Pictures picked for prompt icons, by the prompt icon path they belong to.
    std::map<QString, QPixmap>& imageMap() { return m_imageMap; }
    const QString& pickedImageName() const { return m_pickedImageName; }
    void setPickedImageName(const QString& name) { m_pickedImageName = name; }
    const QString& promptIconPath() const { return m_promptIconPath; }
    // The key of the shown picture in the image map; shows that picture.
    void setPromptIconPath(const QString& path);

    // Shows the image map's picture of the prompt icon path on the icon button.
    void repaintIconButton();
    // What choosing a picture in the image picker does, and what "Clear" does.
    void onImagePicked(const QString& name, const QPixmap& picture);
    void clearImage();

private:
    void updateEnabledState(bool enabled);
    void openImagePicker();
    void openClearMenu(const QPoint& globalPos);

    EditStateWatcher* m_watcher = nullptr;
    QCheckBox* m_enabledBox = nullptr;
    QLabel* m_iconLabel = nullptr;
    QPushButton* m_iconButton = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    std::map<QString, QPixmap> m_imageMap;
    QString m_pickedImageName;
    QString m_promptIconPath;
    QGroupBox* m_actionGroup = nullptr;
    SceneActionListWidget* m_actionList = nullptr;
    nlohmann::json* m_event = nullptr;
    int64_t m_ownerId = -1;
};

} // namespace OV
