#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;

namespace OV {

// One row of an action list: the action's description on one line, and "Delete" in its
// context menu.
class MainSceneActionListItemWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MainSceneActionListItemWidget(const QString& text, QWidget* parent = nullptr);

    std::function<void()> onDelete;

    QString text() const;
    QLabel* label() const { return m_label; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* m_label = nullptr;
    QString m_text;
};

} // namespace OV
