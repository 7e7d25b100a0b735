#pragma once

#include "widgets/BaseWidget.h"

class QLabel;
class QPixmap;

namespace OV {

// The base of the rows of the plug-in widget editor's lists: a square icon and a name that is
// lit while the row is selected.
class ScenePluginListItem : public BaseWidget
{
    Q_OBJECT
public:
    QLabel* iconLabel() const { return m_iconLabel; }
    QLabel* nameLabel() const { return m_nameLabel; }

protected:
    ScenePluginListItem(const QString& name, int iconSide, QWidget* parent);

    // Shows the picture fitted into the icon square; a null picture leaves the square empty.
    void showIcon(const QPixmap& picture);
    void onSelectedChanged(bool selected) override;

private:
    int m_iconSide;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
};

} // namespace OV
