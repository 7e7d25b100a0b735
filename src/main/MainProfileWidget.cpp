#include "main/MainProfileWidget.h"

#include "core/Logger.h"
#include "core/MainThread.h"
#include "core/PngPicture.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "main/DelayOpMessageDialog.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/BaseDialog.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace OV {

namespace {

constexpr const char* kTag = "MainProfileWidget";
constexpr int kNameMaxLength = 64;

QString listErrorText(const ErrorCode& error, const QString& detail)
{
    const QString message = QString::fromUtf8(error.text);
    return detail.isEmpty() ? message : QStringLiteral("%1, details: %2").arg(message, detail);
}

QPixmap profilePicture(ProjectProfileUseCase& useCase, const ProjectDbProfileBean& profile, const QSize& shown)
{
    const QPixmap stored = useCase.loadIconFile(profile, shown);
    return stored.isNull() ? PngPicture::pixmap(QStringLiteral(":/profile/image/item_bg_default.png")) : stored;
}

// A 400 x 200 dialog with one "label + line edit" row; the edit is returned through `edit`.
BaseDialog* nameDialog(const QString& title, const QString& label, const QString& text, QLineEdit** edit)
{
    auto* dialog = new BaseDialog(nullptr);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFixedWindowSize(400, 200);
    dialog->setTitle(title);
    dialog->button1->hide();
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(10);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(new QLabel(label, content));
    *edit = new QLineEdit(content);
    (*edit)->setMaxLength(kNameMaxLength);
    (*edit)->setFixedHeight(32);
    (*edit)->setText(text);
    row->addWidget(*edit, 1);
    column->addLayout(row);
    dialog->setContentWidget(content);
    // The name is what the dialog is for: typing replaces it at once.
    (*edit)->selectAll();
    (*edit)->setFocus();
    return dialog;
}

} // namespace

// ---- ProfileItem ----

MainProfileWidget::ProfileItem::ProfileItem(MainProfileWidget* owner, ProfilePtr profile, QWidget* parent)
    : BaseWidget(parent), m_profile(std::move(profile)), m_owner(owner)
{
    setObjectName(QStringLiteral("profileItem"));
    setFixedHeight(50);
    setOpacity(0.8f);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(10);
    layout->setContentsMargins(8, 0, 4, 0);
    m_icon = new BaseWidget(this);
    m_icon->setFixedSize(40, 40);
    m_icon->setBorderRadius(12);
    m_icon->setSelectable(false);
    m_icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_name = new ElidedLabel(this);
    m_name->setFixedWidth(160);
    m_name->fullText = m_profile->name;
    m_name->updateText();
    m_star = new QLabel(this);
    m_star->setFixedSize(18, 18);
    m_star->setPixmap(PngPicture::pixmap(QStringLiteral(":/image/icon_star.png"))
                          .scaled(18, 18, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_star->setVisible(m_profile->preferred);
    m_menuButton = new QPushButton(this);
    m_menuButton->setObjectName(QStringLiteral("profileItemMenuBtn"));
    m_menuButton->setFixedSize(20, 40);
    m_menuButton->setIcon(PngPicture::icon(QStringLiteral(":/image/icon_vertical_dot_menu.png")));
    m_menuButton->setIconSize(QSize(20, 20));
    m_menuButton->setProperty("clickable", true);
    layout->addWidget(m_icon);
    layout->addWidget(m_name);
    layout->addStretch();
    layout->addWidget(m_star);
    layout->addWidget(m_menuButton);
    connect(m_menuButton, &QPushButton::clicked, this, [this] { openRowMenu(); });
}

QMenu* MainProfileWidget::ProfileItem::openRowMenu()
{
    auto* menu = new QMenu(nullptr);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    QAction* rename = menu->addAction(tr("Edit name"));
    menu->addSeparator();
    QAction* preferred = menu->addAction(tr("Save as preferred"));
    QAction* remove = nullptr;
    if (!m_profile->isDefault) {
        menu->addSeparator();
        remove = menu->addAction(tr("Delete"));
    }
    const QPointer<MainProfileWidget> owner(m_owner);
    const ProfilePtr profile = m_profile;
    connect(menu, &QMenu::triggered, menu, [owner, profile, menu, rename, preferred, remove](QAction* action) {
        menu->close();
        if (!owner)
            return;
        if (action == rename) {
            owner->onClickEditProfileName(profile);
        } else if (action == preferred) {
            runOnMainThread([owner, profile] {
                if (owner)
                    owner->onClickSaveAsPreferred(profile);
            });
        } else if (remove && action == remove) {
            owner->onClickDeleteProfile(profile);
        }
    });
    menu->popup(m_menuButton->mapToGlobal(QPoint(10, 10)));
    emit m_owner->rowMenuShown(menu, m_profile);
    return menu;
}

void MainProfileWidget::ProfileItem::onClicked()
{
    const std::shared_ptr<KestrinDevice> hub = ProjectManager::instance()->getCurrentKestrin();
    if (!hub)
        return;
    ProjectProfileUseCase::setCurrentProfile(
        hub, ProjectProfileUseCase::profileKey(*m_profile), [](const BaseResult<void>& result) {
            if (!result.isOk())
                Logger::error(kTag, "setCurrentProfile error: %s", formatErrorDetails(result).toUtf8().constData());
        });
}

void MainProfileWidget::ProfileItem::onPressedChanged(bool pressed)
{
    setOpacity(pressed ? 0.6f : 1.0f);
}

void MainProfileWidget::ProfileItem::showEvent(QShowEvent* event)
{
    // The picture is read when the row is first seen, at the size it is shown.
    if (!m_pictureShown) {
        m_pictureShown = true;
        m_icon->setBackgroundPixmap(profilePicture(*ProjectManager::instance()->getProfileUseCase(), *m_profile,
                                                   m_icon->size() * m_icon->devicePixelRatio()));
    }
    BaseWidget::showEvent(event);
}

void MainProfileWidget::ProfileItem::enterEvent(QEnterEvent* event)
{
    setOpacity(1.0f);
    BaseWidget::enterEvent(event);
}

void MainProfileWidget::ProfileItem::leaveEvent(QEvent* event)
{
    setOpacity(0.8f);
    BaseWidget::leaveEvent(event);
}

// ---- MainProfileWidget ----

MainProfileWidget::MainProfileWidget(QWidget* parent) : BaseWidget(parent)
{
    m_useCase = ProjectManager::instance()->getProfileUseCase();
    setObjectName(QStringLiteral("profilePanel"));
    setFixedSize(250, 34);
    setSelectable(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 0, 12, 0);
    layout->setSpacing(10);
    auto* caption = new QLabel(tr("Profile"), this);
    caption->setEnabled(false);
    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("divider2"));
    divider->setFixedWidth(2);
    m_nameLabel = new ElidedLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("profileName"));
    m_nameLabel->setMaximumWidth(130);
    auto* arrow = new QLabel(this);
    arrow->setFixedSize(20, 20);
    arrow->setPixmap(PngPicture::pixmap(QStringLiteral(":/main/image/icon_down_arrow.png"))
                         .scaled(20, 20, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    layout->addWidget(caption);
    layout->addWidget(divider);
    layout->addWidget(m_nameLabel, 1);
    layout->addWidget(arrow);
    initDropDownMenu();
}

QList<MainProfileWidget::ProfileItem*> MainProfileWidget::rows()
{
    ensureRows();
    QList<ProfileItem*> result;
    for (int i = 0; m_selectGroup && i < m_selectGroup->count(); ++i) {
        if (auto* row = dynamic_cast<ProfileItem*>(m_selectGroup->widgetAt(i)))
            result.append(row);
    }
    return result;
}

BaseWidgetSelectGroup* MainProfileWidget::selectGroup()
{
    ensureRows();
    return m_selectGroup;
}

void MainProfileWidget::onClicked()
{
    ensureRows();
    fitMenuWidth();
    m_menu->popup(mapToGlobal(QPoint(70, height() + 6)));
}

void MainProfileWidget::fitMenuWidth()
{
    m_menu->setMinimumWidth(m_selectGroup->count() > 0 ? 320 : 150);
}

void MainProfileWidget::ensureRows()
{
    if (m_rowsMade || !m_menu)
        return;
    m_rowsMade = true;
    QAction* before = m_newProfileAction;
    for (const ProfilePtr& profile : m_profiles) {
        auto* row = new ProfileItem(this, profile, m_menu);
        row->setSelectable(true);
        row->setToggleable(false);
        m_selectGroup->addWidget(row);
        auto* action = new QWidgetAction(m_menu);
        action->setDefaultWidget(row);
        m_menu->insertAction(before, action);
        m_menu->insertSeparator(before);
        if (m_currentProfile && m_currentProfile->id == profile->id) {
            // Already the current profile: shown as chosen, not chosen again.
            const QSignalBlocker quiet(m_selectGroup);
            row->setSelected(true);
        }
    }
}

void MainProfileWidget::initDropDownMenu()
{
    if (!m_menu) {
        m_menu = new QMenu(this);
        m_selectGroup = new BaseWidgetSelectGroup(this);
    } else {
        disconnect(m_menu, nullptr, this, nullptr);
        disconnect(m_selectGroup, nullptr, this, nullptr);
        for (QAction* action : m_menu->actions())
            action->deleteLater();
        m_menu->clear();
        m_selectGroup->clear();
    }
    m_newProfileAction = nullptr;
    m_rowsMade = false;
    m_profiles.clear();

    const BaseResult<ProjectProfileUseCase::BeanList> found = m_useCase->accessor->findAll(false);
    if (found.isOk())
        m_profiles = *found.data;
    else
        Logger::error(kTag, "find list error:%s", listErrorText(found.error, found.message).toUtf8().constData());

    size_t index = 0;
    for (size_t i = 0; i < m_profiles.size(); ++i) {
        if (m_currentProfile && m_currentProfile->id == m_profiles[i]->id)
            index = i;
    }
    m_newProfileAction = m_menu->addAction(tr(kNewProfileText));
    connect(m_selectGroup, &BaseWidgetSelectGroup::checkedChanged, this, &MainProfileWidget::onRowChosen);
    connect(m_menu, &QMenu::triggered, this, [this](QAction* action) {
        if (action == m_newProfileAction)
            onClickNewProfile();
    });
    connect(m_menu, &QMenu::aboutToShow, this, &MainProfileWidget::ensureRows);
    // A list rebuilt while it is shown (a row's menu, a dialog opened from it) is not opened
    // again to make its rows: they are made now.
    if (m_menu->isVisible()) {
        ensureRows();
        fitMenuWidth();
        m_menu->adjustSize();
    }

    if (m_profiles.empty()) {
        setCurrentProfile(nullptr);
        return;
    }
    // Queued so that the menu is complete first; the profile is looked up when the call runs, as
    // another rebuild may have replaced the list meanwhile.
    const QPointer<MainProfileWidget> self(this);
    const int64_t wantedId = m_profiles[index]->id;
    runOnMainThread([self, wantedId] {
        if (!self || self->m_profiles.empty())
            return;
        ProfilePtr target = self->m_profiles.front();
        for (const ProfilePtr& profile : self->m_profiles) {
            if (profile->id == wantedId) {
                target = profile;
                break;
            }
        }
        self->chooseProfile(target);
    });
}

void MainProfileWidget::chooseFirstProfile()
{
    if (!m_currentProfile && !m_profiles.empty())
        chooseProfile(m_profiles.front());
}

void MainProfileWidget::chooseProfile(const ProfilePtr& profile)
{
    // Chosen from this very list already (its row is the selected one).
    if (m_currentProfile == profile)
        return;
    if (m_rowsMade) {
        for (ProfileItem* row : rows()) {
            if (row->profile() == profile && !row->isSelected()) {
                // Chosen through its row, as a click does.
                row->setSelected(true);
                return;
            }
        }
    }
    setCurrentProfile(profile);
    Logger::debug(kTag, "selected: %s", profile->name.toUtf8().constData());
}

void MainProfileWidget::onRowChosen(BaseWidget* row)
{
    auto* item = dynamic_cast<ProfileItem*>(row);
    if (!item)
        return;
    setCurrentProfile(item->profile());
    Logger::debug(kTag, "selected: %s", item->profile()->name.toUtf8().constData());
}

void MainProfileWidget::setCurrentProfile(ProfilePtr profile)
{
    if (profile) {
        const bool changed = !m_currentProfile || m_currentProfile->id != profile->id;
        const bool reread = !changed && m_currentProfile != profile;
        m_currentProfile = profile;
        m_nameLabel->setEnabled(true);
        m_nameLabel->fullText = profile->name;
        m_nameLabel->updateText();
        setToolTip(plainToolTip(profile->name));
        if (changed && currentProfileCallback)
            currentProfileCallback(profile);
        else if (reread && currentProfileRefreshedCallback)
            currentProfileRefreshedCallback(profile);
        return;
    }
    m_currentProfile.reset();
    m_nameLabel->setEnabled(false);
    m_nameLabel->fullText = QStringLiteral("No profile");
    m_nameLabel->updateText();
    if (currentProfileCallback)
        currentProfileCallback(nullptr);
}

BaseDialog* MainProfileWidget::onClickNewProfile()
{
    QLineEdit* edit = nullptr;
    BaseDialog* dialog = nameDialog(tr("New Profile"), QStringLiteral("Name"), m_useCase->newProfileName(), &edit);
    dialog->button2->setText(tr("Cancel"));
    dialog->button3->setText(tr("Ok"));
    dialog->button3->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    dialog->button2Handler = [](BaseDialog& d) { d.close(); };
    connect(edit, &QLineEdit::returnPressed, dialog->button3, &QPushButton::click);
    const QPointer<MainProfileWidget> self(this);
    dialog->button3Handler = [self, edit](BaseDialog& d) {
        const QString name = edit->text().trimmed();
        if (name.isEmpty()) {
            MessageDialog::error(tr("Name is empty"), true);
            return;
        }
        if (!self)
            return;
        const BaseResult<void> created = self->m_useCase->createProfile(name, QString());
        if (!created.isOk()) {
            MessageDialog::error(formatErrorDetails(created), true);
            return;
        }
        d.close();
        self->initDropDownMenu();
    };
    dialog->show();
    return dialog;
}

BaseDialog* MainProfileWidget::onClickEditProfileName(const ProfilePtr& profile)
{
    QLineEdit* edit = nullptr;
    BaseDialog* dialog = nameDialog(tr("Rename"), tr("Name"), profile->name, &edit);
    dialog->button2->setText(tr("Rename"));
    dialog->button2->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    dialog->button3->setText(tr("Cancel"));
    dialog->button3Handler = [](BaseDialog& d) { d.close(); };
    connect(edit, &QLineEdit::returnPressed, dialog->button2, &QPushButton::click);
    const QPointer<MainProfileWidget> self(this);
    dialog->button2Handler = [self, edit, profile](BaseDialog& d) {
        const QString name = edit->text().trimmed();
        if (name.isEmpty()) {
            MessageDialog::error(tr("[Name] is empty"), true);
            return;
        }
        if (!self)
            return;
        const int64_t id = profile->id;
        if (!self->storeProfile(id, [&name](ProjectDbProfileBean& stored) {
                stored.name = name;
                stored.showName = true;
            }))
            return;
        d.close();
        // Shown until the queued re-selection names the current profile again.
        self->m_nameLabel->fullText = name;
        self->m_nameLabel->updateText();
    };
    dialog->show();
    return dialog;
}

void MainProfileWidget::onClickSaveAsPreferred(const ProfilePtr& profile)
{
    storeProfile(profile->id, [](ProjectDbProfileBean& stored) { stored.preferred = true; });
}

MainProfileWidget::ProfilePtr
MainProfileWidget::storeProfile(int64_t id, const std::function<void(ProjectDbProfileBean&)>& change, QPixmap* icon)
{
    const BaseResult<ProfilePtr> stored = m_useCase->changeProfile(id, change, icon);
    if (!stored.isOk()) {
        MessageDialog::error(formatErrorDetails(stored), true);
        return nullptr;
    }
    if (m_currentProfile && m_currentProfile->id == id)
        setCurrentProfile(*stored.data);
    initDropDownMenu();
    return *stored.data;
}

DelayOpMessageDialog* MainProfileWidget::onClickDeleteProfile(const ProfilePtr& profile)
{
    auto* dialog = new DelayOpMessageDialog(nullptr);
    dialog->setFixedWindowSize(400, 200);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setIcon(MessageDialog::Warning);
    dialog->setTitle(tr("Delete [%1]").arg(profile->name));
    dialog->setText(tr("Are you sure you want to delete this profile?\nThis action cannot be undone."));
    dialog->setConfirmText(QStringLiteral("Delete"));
    const QPointer<DelayOpMessageDialog> guard(dialog);
    dialog->showHandler = [guard](QShowEvent*) {
        if (!guard)
            return;
        guard->button2->setObjectName(QStringLiteral("redButton"));
        guard->button2->style()->unpolish(guard->button2);
        guard->button2->style()->polish(guard->button2);
    };
    const QPointer<MainProfileWidget> self(this);
    const int64_t id = profile->id;
    dialog->button2Handler = [self, id](BaseDialog& d) {
        if (!self)
            return;
        const BaseResult<void> removed = self->m_useCase->removeProfileAndClearAssociated(id);
        if (!removed.isOk()) {
            MessageDialog::error(formatErrorDetails(removed), true);
            return;
        }
        d.close();
        self->initDropDownMenu();
    };
    dialog->show();
    return dialog;
}

} // namespace OV
