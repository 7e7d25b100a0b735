#pragma once

#include <QString>
#include <QWidget>

#include <nlohmann/json.hpp>

class QLabel;
class QPushButton;

namespace OV {

class BaseWidget;
class ElidedLabel;

// One tile of the cloud listing: icon, name, type, author, version and description of a plug-in,
// and its install state ("Install" button or "Installed" label). Tiles are reused from page to
// page; a download's completion checks that the tile still shows the same plug-in.
class PluginCloudItem : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDescriptionHeight = 40;
    static constexpr int kToastMs = 3000;

    explicit PluginCloudItem(QWidget* parent = nullptr);

    // Fills the tile from a listing record; throws on a missing required key or a wrong type.
    void setData(const nlohmann::json& record);
    // Back to unused: no record.
    void reset();
    void updateInstallState();
    void downloadPluginFile();
    void installPlugin(int code, const QString& failureReason = QString());

    const nlohmann::json& record() const { return m_record; }
    QString identifier() const { return m_identifier; }
    BaseWidget* iconWidget() const { return m_icon; }
    QLabel* descriptionLabel() const { return m_descLabel; }
    QLabel* installedLabel() const { return m_installedLabel; }
    QPushButton* installButton() const { return m_installButton; }
    QString nameText() const;
    QString typeText() const;

    // The description as shown: whole lines that fit the height, "..." when some were left out.
    static QString elideDescription(const QString& text, const QFont& font, int lineWidth, int maxHeight);

private:
    nlohmann::json m_record;
    QString m_identifier;
    QString m_iconUrl;
    QString m_name;
    QString m_author;
    QString m_desc;
    QString m_versionName;
    QString m_fileUrl;
    QString m_sha256;
    int m_pluginType = 0;
    int m_versionCode = 0;
    bool m_official = false;
    // The plug-in whose download this tile has open; empty when none.
    QString m_downloading;

    BaseWidget* m_icon = nullptr;
    ElidedLabel* m_nameLabel = nullptr;
    ElidedLabel* m_typeLabel = nullptr;
    ElidedLabel* m_authorLabel = nullptr;
    ElidedLabel* m_versionLabel = nullptr;
    QLabel* m_descLabel = nullptr;
    QLabel* m_installedLabel = nullptr;
    QPushButton* m_installButton = nullptr;
};

} // namespace OV
