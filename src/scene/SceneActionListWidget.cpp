#include "scene/SceneActionListWidget.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "scene/MainSceneActionListItemWidget.h"
#include "scene/SceneActionPicker.h"
#include "scene/SceneActionRecord.h"
#include "widgets/EditStateWatcher.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kListStyle =
    "QListWidget, QListWidget::item, QListWidget::item:hover, QListWidget::item:selected,"
    " QListWidget::item:active, QListWidget::item:!active, QListWidget::item:focus, QListWidget::item:pressed"
    " { background: transparent; border: none; outline: none; }";

} // namespace

SceneActionListWidget::SceneActionListWidget(QWidget* parent, EditStateWatcher* watcher)
    : BaseListWidget(parent), m_watcher(watcher)
{
    if (!watcher)
        throw std::invalid_argument("editStateWatcher is null");
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setStyleSheet(QString::fromLatin1(kListStyle));
    dropSortCallback = [this](int fromRow, int toRow) { moveAction(fromRow, toRow); };
    viewport()->installEventFilter(this);
    connect(model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int destination) {
                if (!dropSortCallback)
                    return;
                dropSortCallback(start, destination > start ? destination - 1 : destination);
            });
}

void SceneActionListWidget::setActions(nlohmann::json actions)
{
    m_actions = actions.is_array() ? std::move(actions) : nlohmann::json::array();
}

void SceneActionListWidget::updateActionList()
{
    m_watcher->markDirty();
    while (count() > 0) {
        QListWidgetItem* item = takeItem(0);
        if (QWidget* row = itemWidget(item))
            row->deleteLater();
        delete item;
    }
    clear();
    for (size_t i = 0; i < m_actions.size(); ++i)
        insertActionListItem(m_actions[i], int(i));

    auto* addItem = new QListWidgetItem(this);
    addItem->setFlags(Qt::NoItemFlags);
    addItem->setSizeHint(QSize(0, 40));
    auto* holder = new QWidget(this);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(tr("Add Action"), holder);
    button->setFixedHeight(28);
    button->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("button")));
    holderLayout->addWidget(button, 0, Qt::AlignCenter);
    setItemWidget(addItem, holder);
    connect(button, &QPushButton::clicked, this, &SceneActionListWidget::onClickAddAction);
}

void SceneActionListWidget::insertActionListItem(const nlohmann::json& action, int /*index*/)
{
    auto* item = new QListWidgetItem(this);
    item->setSizeHint(QSize(0, 50));
    // A stored action without a text description is still listed (and kept).
    auto* row = new MainSceneActionListItemWidget(SceneActionRecord::describe(action), this);
    row->onDelete = [this, item] { removeActionOfItem(item); };
    setItemWidget(item, row);
}

void SceneActionListWidget::removeActionOfItem(QListWidgetItem* item)
{
    // The row's place now: a drag moves rows and the array together without a rebuild.
    const int position = row(item);
    if (position < 0 || size_t(position) >= m_actions.size())
        return;
    m_actions.erase(m_actions.begin() + position);
    updateActionList();
}

void SceneActionListWidget::moveAction(int fromRow, int toRow)
{
    Logger::info(kTag, "dropSortCallback, fromRow:%d, toRow:%d", fromRow, toRow);
    const int size = int(m_actions.size());
    if (fromRow < 0 || fromRow >= size || toRow < 0 || toRow >= size || fromRow == toRow)
        return;
    nlohmann::json moved = m_actions[size_t(fromRow)];
    m_actions.erase(m_actions.begin() + fromRow);
    m_actions.insert(m_actions.begin() + toRow, std::move(moved));
    m_watcher->markDirty();
}

void SceneActionListWidget::onClickAddAction()
{
    const std::shared_ptr<SceneActionPicker> picker = SceneActionPicker::instance();
    QPointer<SceneActionListWidget> self(this);
    SceneActionPicker* shown = picker.get();
    picker->setCloseRequestHandler([self, shown] {
        if (!self)
            return true;
        shown->hide();
        return false;
    });
    picker->onActionSelected = [self](const nlohmann::json& record) {
        if (!self)
            return;
        self->m_actions.push_back(record);
        self->updateActionList();
    };
    picker->show();
}

bool SceneActionListWidget::eventFilter(QObject* watched, QEvent* event)
{
    // A press on a row's button belongs to the button: the row is neither selected nor dragged.
    if (watched == viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick)) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (qobject_cast<QPushButton*>(viewport()->childAt(pos)))
            return true;
        if (event->type() == QEvent::MouseButtonPress)
            m_pressRow = indexAt(pos).row();
    }
    return BaseListWidget::eventFilter(watched, event);
}

bool SceneActionListWidget::isBeyondActions(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    return !index.isValid() || index.row() >= count() - 1;
}

bool SceneActionListWidget::isOwnPlace(const QDropEvent* event) const
{
    if (event->source() != this)
        return false;
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const int to = pos.y() < visualRect(index).center().y() ? index.row() : index.row() + 1;
    const int from = currentRow();
    return to == from || to == from + 1;
}

void SceneActionListWidget::dropEvent(QDropEvent* event)
{
    // On "Add Action" or below every row, or where the row already is: accepted, and nothing
    // moves (the list would otherwise insert an empty copy of a row let go at its own place).
    if (isBeyondActions(event->position().toPoint()) || isOwnPlace(event)) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        return;
    }
    BaseListWidget::dropEvent(event);
}

void SceneActionListWidget::startDrag(Qt::DropActions supportedActions)
{
    // The "Add Action" row stays where it is, and a press beside its button does not drag the
    // row chosen before.
    QListWidgetItem* item = currentItem();
    if (!item || row(item) != m_pressRow || row(item) >= count() - 1)
        return;
    BaseListWidget::startDrag(supportedActions);
}

} // namespace OV
