#include "cards/KSPluginWidgetGroup.h"
#include "cards/KSPluginWidgetItem.h"
#include "cards/KestrinWidgetListPanel.h"
#include "cards/SimpleWidgetListContentItem.h"
#include "main/MainProfilePanel.h"
#include "main/MainTitleBar.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "store/BaseDownloadDialog.h"
#include "store/MainUtils.h"
#include "store/PluginCloudItem.h"
#include "store/StorePluginCloudContent.h"
#include "store/StorePluginPanel.h"
#include "store/StoreUtils.h"
#include "store/StoreWindow.h"
#include "store/ZipUtils.h"
#include "support/ProjectTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/StandinCloud.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/CollapsibleListWidget.h"
#include "widgets/MessageDialog.h"
#include "widgets/PaginationWidget.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Json = nlohmann::json;
using OV::Test::StandinCloud;

class TestStandinCloud : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    StandinCloud m_cloud;
    QStringList m_messages;

    static StorePluginCloudContent* cloud(StoreWindow& window)
    {
        return static_cast<StorePluginCloudContent*>(window.pluginPanel()->cloudContent());
    }
    static QStringList shownIdentifiers(StoreWindow& window)
    {
        QStringList shown;
        for (PluginCloudItem* item : cloud(window)->items()) {
            if (item->isVisibleTo(&window))
                shown << item->identifier();
        }
        return shown;
    }
    QStringList identifiers(size_t from, size_t to) const
    {
        QStringList list;
        for (size_t i = from; i < to && i < m_cloud.plugins().size(); ++i)
            list << m_cloud.plugins()[i].identifier;
        return list;
    }
    static KSPluginWidgetGroup* pluginGroup(KestrinWidgetListPanel* panel, const QString& name)
    {
        for (const auto& group : panel->groups()) {
            auto* plugin = dynamic_cast<KSPluginWidgetGroup*>(group.get());
            if (plugin && plugin->title() == name)
                return plugin;
        }
        return nullptr;
    }
    static BaseDownloadDialog* downloadDialog()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<BaseDownloadDialog*>(widget))
                return dialog;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CACHE_HOME", m_home.filePath(QStringLiteral("cache")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("xdg")).toUtf8());
        QVERIFY(m_cloud.start());
        // The program reads "settings.json" from its working directory.
        QVERIFY(QDir::setCurrent(m_home.path()));
        QVERIFY(Test::writeFileBytes(m_home.filePath(QStringLiteral("settings.json")), m_cloud.settingsJson()));
        Test::applyBaseTheme();
        MainUtils::setPluginRoot(m_home.filePath(QStringLiteral("plugin")));
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_messages << dialog.text();
            return 1;
        });
        MainWindow::setTrayAvailabilityProvider([] { return true; });
    }

    void cleanupTestCase()
    {
        delete MainWindow::instance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProjectManager::instance()->closeProject();
    }

    // Each package passes the store's checks, matches its listed checksum, and every card in
    // it is one the widget list can show, with its picture inside the package.
    void packagesPassTheStoreChecks()
    {
        QVERIFY(m_cloud.plugins().size() > size_t(StandinCloud::kDefaultPageSize));
        QSet<QString> seen;
        for (const StandinCloud::Plugin& plugin : m_cloud.plugins()) {
            QVERIFY2(!seen.contains(plugin.identifier), qPrintable(plugin.identifier));
            seen.insert(plugin.identifier);
            QString why;
            QVERIFY2(verifyPackage(plugin.package, &why), qPrintable(plugin.identifier + QLatin1Char(' ') + why));
            QVERIFY(plugin.package.size() <= BaseDownloadDialog::kMaxFileSize);
            const Json record = m_cloud.record(plugin);
            QCOMPARE(QString::fromStdString(record.at("sha256").get<std::string>()),
                     QString::fromLatin1(QCryptographicHash::hash(plugin.package, QCryptographicHash::Sha256).toHex()));
            QVERIFY(!QImage::fromData(plugin.icon).isNull());

            const QByteArray configBytes = readZipEntry(plugin.package, QStringLiteral("config.json"));
            const Json config = Json::parse(configBytes.constBegin(), configBytes.constEnd(), nullptr, false);
            QVERIFY2(config.is_object() && config.contains("button"), configBytes.constData());
            QVERIFY(!config["button"].empty());
            for (const Json& button : config["button"]) {
                QVERIFY(!KSPluginWidgetItem::typeIdOf(button.at("param")).isEmpty());
                const std::string icon = button.at("icon").get<std::string>();
                QVERIFY(icon.starts_with("file://"));
                const QByteArray picture = readZipEntry(plugin.package, QString::fromStdString(icon.substr(7)));
                QVERIFY2(!QImage::fromData(picture).isNull(), icon.c_str());
            }
        }
    }

    // The whole way through the product: the main window's store button opens the store, which
    // lists the stand-in's plug-ins over two pages; installing one from the second page goes
    // through the download dialog, and its card group appears in the main window's widget list
    // with its cards once unpacked.
    void storeInstallsIntoTheWidgetList()
    {
        QVERIFY(ProjectManager::instance()->createProject(QStringLiteral("Cloud"), m_home.path()).isOk());
        auto* main = new MainWindow(nullptr);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        auto* panel = qobject_cast<KestrinWidgetListPanel*>(main->widgetListPanel());
        QVERIFY(panel);
        const StandinCloud::Plugin& chosen = m_cloud.plugins()[StandinCloud::kDefaultPageSize + 1];
        QVERIFY(!pluginGroup(panel, chosen.name));

        QTest::mouseClick(main->mainTitleBar()->storeButton(), Qt::LeftButton);
        QTRY_VERIFY(StoreWindow::instance());
        QPointer<StoreWindow> store = StoreWindow::instance();
        QTRY_COMPARE(shownIdentifiers(*store), identifiers(0, 20));
        PaginationWidget* pages = cloud(*store)->pagination();
        QCOMPARE(pages->totalPages(), 2);
        QCOMPARE(pages->currentPage(), 1);

        auto* next = pages->findChild<QPushButton*>(QStringLiteral("pageNext"));
        QVERIFY(next);
        QTest::mouseClick(next, Qt::LeftButton);
        QTRY_COMPARE(shownIdentifiers(*store), identifiers(20, 40));
        QCOMPARE(pages->currentPage(), 2);
        PluginCloudItem* tile = cloud(*store)->items()[1];
        QCOMPARE(tile->identifier(), chosen.identifier);
        QCOMPARE(tile->nameText(), chosen.name);
        // The tile's icon is the stand-in's picture, not the loading or error picture.
        QTRY_COMPARE(tile->iconWidget()->backgroundPixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                     QImage::fromData(chosen.icon).convertToFormat(QImage::Format_ARGB32));

        QVERIFY(tile->installButton()->isVisibleTo(tile));
        QTest::mouseClick(tile->installButton(), Qt::LeftButton);
        QPointer<BaseDownloadDialog> download = downloadDialog();
        QVERIFY(download);
        QCOMPARE(download->url.toString(),
                 m_cloud.server().urlText(QStringLiteral("/package/%1.zip").arg(chosen.identifier)));
        QTRY_VERIFY(tile->installedLabel()->isVisibleTo(tile));
        QCOMPARE(m_messages, QStringList());
        QTRY_VERIFY(!download);

        const auto installed = *ProjectManager::instance()->getPluginUseCase()->findFirst(chosen.identifier).data;
        QVERIFY(installed);
        QCOMPARE(installed->name, chosen.name);

        KSPluginWidgetGroup* group = nullptr;
        QTRY_VERIFY((group = pluginGroup(panel, chosen.name)));
        store->close();
        QTRY_VERIFY(!store);
        group->setExpanded(true);
        QCoreApplication::processEvents();
        QTRY_COMPARE(group->contentItems().size(), chosen.cards.size());
        for (size_t i = 0; i < chosen.cards.size(); ++i)
            QCOMPARE(group->contentItems()[i]->name(), chosen.cards[i].name);
        // The cards show the pictures from the unpacked package.
        const QPixmap picture = trimTransparentEdges(
            QPixmap::fromImage(QImage::fromData(readZipEntry(chosen.package, chosen.cards[0].iconPath))),
            StoreUtils::kTrimThreshold);
        QVERIFY(!picture.isNull());
        QTRY_COMPARE(group->contentItems()[0]->icon().size(), picture.size());
        QVERIFY(QFileInfo::exists(
            m_home.filePath(QStringLiteral("plugin/%1/%2").arg(chosen.identifier, chosen.cards[0].iconPath))));

        const QString dir = Test::screenshotDir();
        if (!dir.isEmpty()) {
            panel->list()->verticalScrollBar()->setValue(panel->list()->verticalScrollBar()->maximum());
            QTest::qWait(100);
            QVERIFY(main->grab().save(dir + QStringLiteral("/standin_cloud_widget_list.png")));
        }
    }

    // A profile picture from the stand-in's picture listing, through the profile panel's picker:
    // "All" lists icons and backgrounds with their thumbnails, "Icon" and "Background" narrow
    // it page by page, "Search" finds by name, and a clicked thumbnail becomes the profile's
    // picture.
    void profilePictureFromThePictureListing()
    {
        if (!MainWindow::instance()) {
            QVERIFY(ProjectManager::instance()->createProject(QStringLiteral("Pictures"), m_home.path()).isOk());
            new MainWindow(nullptr);
        }
        MainWindow::instance()->show();
        auto* panel = qobject_cast<MainProfilePanel*>(MainWindow::instance()->profilePanel());
        QVERIFY(panel);
        QTRY_VERIFY(panel->currentProfile());
        const int64_t profileId = panel->currentProfile()->id;

        const std::vector<StandinCloud::Picture>& pictures = m_cloud.pictures();
        const auto count = [&](int project, const QString& keyword = {}) {
            int n = 0;
            for (const StandinCloud::Picture& picture : pictures)
                n += picture.projectId == project && picture.name.contains(keyword, Qt::CaseInsensitive) ? 1 : 0;
            return n;
        };
        const int icons = count(StandinCloud::kIconProject);
        const int backgrounds = count(StandinCloud::kBackgroundProject);
        QVERIFY(icons > 50 && backgrounds > 0 && backgrounds < 50);
        const auto address = [&](size_t index) { return m_cloud.server().urlText(pictures[index].path); };
        // Drawn before the picker asks: fifty pictures drawn on demand by a busy machine can
        // outlast the loader's 5 s per download, which only a stand-in would ever need.
        for (const StandinCloud::Picture& picture : pictures)
            m_cloud.pictureBytes(picture);

        panel->onEditProfileIcon();
        QPointer<CloudImagePicker> picker = MainProfilePanel::sharedPicker();
        QVERIFY(picker && picker->isVisible());
        const int pageSize = int(picker->items().size());
        const auto pagesOf = [pageSize](int total) { return (total + pageSize - 1) / pageSize; };
        const auto loaded = [&](int n) {
            for (int i = 0; i < n; ++i) {
                if (!picker->items()[i]->isLoaded())
                    return false;
            }
            return true;
        };
        QTRY_COMPARE(picker->paginationWidget()->totalPages(), pagesOf(icons + backgrounds));
        QTRY_VERIFY_WITH_TIMEOUT(loaded(pageSize), 15000);
        QCOMPARE(picker->items()[0]->address(), address(0));
        QCOMPARE(picker->items()[0]->picture().toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage::fromData(m_cloud.pictureBytes(pictures[0])).convertToFormat(QImage::Format_ARGB32));

        // "Background" has one page: left from page 2 of "All", it shows that page. "Icon" has
        // two, the second holding what is left.
        // The selector makes its buttons anew at every page change.
        const auto clickNext = [&] {
            auto* next = picker->paginationWidget()->findChild<QPushButton*>(QStringLiteral("pageNext"));
            QVERIFY(next);
            QTest::mouseClick(next, Qt::LeftButton);
        };
        clickNext();
        QTRY_COMPARE(picker->items()[0]->address(), address(size_t(pageSize)));
        const QList<QPushButton*> categories = picker->findChildren<QPushButton*>(QStringLiteral("baseCheckButton"));
        QCOMPARE(categories.size(), 3);
        QTest::mouseClick(categories[2], Qt::LeftButton);
        QTRY_COMPARE(picker->paginationWidget()->totalPages(), 1);
        QTRY_COMPARE(picker->items()[0]->address(), address(size_t(icons)));
        QTRY_VERIFY(loaded(backgrounds));
        QVERIFY(picker->items()[backgrounds]->pictureLabel()->isHidden());
        QCOMPARE(picker->paginationWidget()->currentPage(), 1);
        QCOMPARE(picker->currentPage(), 1);
        QTest::mouseClick(picker->findChild<QPushButton*>(QStringLiteral("windowButton")), Qt::LeftButton);
        QTRY_VERIFY(loaded(backgrounds));
        QCOMPARE(picker->items()[0]->address(), address(size_t(icons)));

        QTest::mouseClick(categories[1], Qt::LeftButton);
        QTRY_COMPARE(picker->paginationWidget()->totalPages(), pagesOf(icons));
        clickNext();
        const int rest = icons - pageSize;
        QTRY_COMPARE(picker->items()[0]->address(), address(size_t(pageSize)));
        QTRY_VERIFY(loaded(rest));
        QCOMPARE(picker->items()[rest - 1]->address(), address(size_t(icons - 1)));
        QVERIFY(picker->items()[rest]->pictureLabel()->isHidden());

        // A keyword finds the icons by name.
        picker->searchField()->setText(QStringLiteral("MUTE"));
        QTest::mouseClick(picker->findChild<QPushButton*>(QStringLiteral("cloudImageSearchButton")), Qt::LeftButton);
        const int mutes = count(StandinCloud::kIconProject, QStringLiteral("mute"));
        QVERIFY(mutes > 1);
        QTRY_COMPARE(picker->paginationWidget()->totalPages(), 1);
        QTRY_VERIFY(loaded(mutes));
        QVERIFY(picker->items()[mutes]->pictureLabel()->isHidden());
        const QString chosen = picker->items()[1]->address();
        QVERIFY(chosen.contains(QStringLiteral("mute")));

        QTest::mouseClick(picker->items()[1], Qt::LeftButton);
        QTRY_VERIFY(!picker->isVisible());
        const auto stored = ProjectManager::instance()->getProfileUseCase()->accessor->findAll(false);
        QVERIFY(stored.isOk());
        QString icon;
        for (const auto& profile : *stored.data) {
            if (profile->id == profileId)
                icon = profile->icon;
        }
        QCOMPARE(icon, chosen);
        QVERIFY(!panel->picture()->backgroundPixmap().isNull());
    }
};

ORVEL_WIDGET_TEST_MAIN(TestStandinCloud, 1280, 800)
#include "tst_StandinCloud.moc"
