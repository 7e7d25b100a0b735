#pragma once

#include <QTreeView>

namespace OV {

class LoadedTreeModel;

// A tree view over a LoadedTreeModel: a press on a group opens or closes it (groups are never
// selected), a press on a retry row loads the failed group again, rows that are not nodes
// ("Loading...", "No more items") ignore presses.
class BaseLoadedTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit BaseLoadedTreeView(QWidget* parent = nullptr);

    // The settings both tree dialogs use, and the wiring of expansion and retry to the model.
    void setLoadedModel(LoadedTreeModel* model);
    LoadedTreeModel* loadedModel() const { return m_model; }
    // Clears the model, appends a fresh root, makes it current, expands it and loads it.
    void restartFromRoot();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    LoadedTreeModel* m_model = nullptr;
};

} // namespace OV
