#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;

namespace OV {

class BaseWidget;

// One row of the start window's recent projects: the file's base name over its folder, with
// "Remove from list" on a right click.
class StartRecentListItem : public QWidget
{
    Q_OBJECT
public:
    StartRecentListItem(const QString& name, const QString& folder, QWidget* parent = nullptr);

    std::function<void()> removeHandler;

    BaseWidget* clickArea() const { return m_clickArea; }
    QLabel* nameLabel() const { return m_nameLabel; }
    QString name() const { return m_name; }
    QString folder() const { return m_folder; }
    // The menu of the last right press (null when none is open).
    QMenu* contextMenu() const { return m_menu; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_name;
    QString m_folder;
    BaseWidget* m_clickArea = nullptr;
    QLabel* m_nameLabel = nullptr;
    QPointer<QMenu> m_menu;
};

} // namespace OV
