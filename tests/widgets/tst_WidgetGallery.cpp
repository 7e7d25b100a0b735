// Renders the foundation's windows and widgets to PNG files in $ORVEL_SCREENSHOTS, so that their
// look can be checked by eye. Without the variable there is nothing to do.
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/BaseWindow.h"
#include "widgets/BusyIndicator.h"
#include "widgets/CollapsibleListWidget.h"
#include "widgets/ColorWheelWidget.h"
#include "widgets/MessageDialog.h"
#include "widgets/PaginationWidget.h"
#include "widgets/QFlowLayout.h"
#include "widgets/SearchableComboBox.h"
#include "widgets/ToastWidget.h"
#include "widgets/WaitDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace OV;

namespace {

class GallerySection : public CollapseItem
{
public:
    GallerySection(QString title, QStringList rows) : m_title(std::move(title)), m_rows(std::move(rows)) {}

    bool isExpandable() override { return !m_rows.isEmpty(); }
    double headerHeight() override { return 44; }
    double contentHeight() override { return 40.0 * m_rows.size(); }
    QWidget* headerWidget(QWidget* parent) override
    {
        auto* header = new QWidget(parent);
        header->setObjectName(QStringLiteral("galleryHeader"));
        header->setAttribute(Qt::WA_StyledBackground);
        header->setStyleSheet(
            QStringLiteral("QWidget#galleryHeader{background:#202328; border-bottom:1px solid #2A2D33;}"));
        auto* row = new QHBoxLayout(header);
        row->setContentsMargins(16, 0, 16, 0);
        auto* title = new QLabel(m_title, header);
        title->setStyleSheet(QStringLiteral("font-weight:600;"));
        auto* arrow = new QLabel(isExpandable() ? QStringLiteral("\u25BE") : QStringLiteral("\u25B8"), header);
        arrow->setStyleSheet(QStringLiteral("color:#8A9099;"));
        row->addWidget(title);
        row->addStretch();
        row->addWidget(arrow);
        return header;
    }
    QWidget* contentWidget(QWidget* parent) override
    {
        auto* content = new QWidget(parent);
        auto* column = new QVBoxLayout(content);
        column->setContentsMargins(16, 0, 16, 0);
        column->setSpacing(0);
        for (const QString& text : m_rows) {
            auto* label = new QLabel(text, content);
            label->setFixedHeight(40);
            label->setStyleSheet(QStringLiteral("color:#C9CDD4;"));
            column->addWidget(label);
        }
        return content;
    }

private:
    QString m_title;
    QStringList m_rows;
};

class Gallery : public QObject
{
    Q_OBJECT
    QString m_dir;
    std::vector<std::unique_ptr<GallerySection>> m_sections;

    void save(const QImage& image, const char* name)
    {
        QVERIFY(image.save(m_dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }

    // A top-level window's own picture, with the toasts it shows painted where they sit.
    QImage shoot(QWidget* window, const QList<QWidget*>& overlays = {})
    {
        QTest::qWait(60);
        QImage image = window->grab().toImage();
        QPainter p(&image);
        for (QWidget* overlay : overlays)
            p.drawImage(overlay->pos() - window->pos(), overlay->grab().toImage());
        return image;
    }

    CollapsibleListWidget* makeList(QWidget* parent)
    {
        auto* list = new CollapsibleListWidget(parent);
        const QList<QPair<QString, QStringList>> groups = {
            {QStringLiteral("Basic"), {QStringLiteral("Clock"), QStringLiteral("Timer"), QStringLiteral("Weather")}},
            {QStringLiteral("System"), {QStringLiteral("CPU"), QStringLiteral("Memory")}},
            {QStringLiteral("Module"), {}},
            {QStringLiteral("Multi-Action"), {QStringLiteral("Morning routine")}},
        };
        QList<CollapsibleListWidget::Node*> nodes;
        for (const auto& [title, rows] : groups) {
            m_sections.push_back(std::make_unique<GallerySection>(title, rows));
            nodes << list->addItem(m_sections.back().get());
        }
        list->setExpanded(nodes[0], true, false);
        list->setExpanded(nodes[3], true, false);
        list->verticalScrollBar()->setValue(0);
        return list;
    }

private slots:
    void initTestCase()
    {
        m_dir = Test::screenshotDir();
        if (m_dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        Test::applyBaseTheme();
    }

    void mainWindowWithToast()
    {
        BaseWindow window;
        window.setTitle(QStringLiteral("OrvelWorkSpace"));
        auto* search = new QLineEdit;
        search->setPlaceholderText(QStringLiteral("Search widgets"));
        search->setFixedWidth(240);
        auto* bar = new QWidget;
        auto* barRow = new QHBoxLayout(bar);
        barRow->setContentsMargins(24, 4, 24, 4);
        barRow->addStretch();
        barRow->addWidget(search);
        window.setTitleBarWidget(bar);
        window.setHitTestVisible(search);

        auto* content = new QWidget;
        auto* row = new QHBoxLayout(content);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        auto* grid = new QWidget(content);
        auto* column = new QVBoxLayout(grid);
        column->setContentsMargins(24, 20, 24, 12);
        auto* heading = new QLabel(QStringLiteral("Profiles"), grid);
        heading->setStyleSheet(QStringLiteral("font-size:16px; font-weight:600;"));
        column->addWidget(heading);
        auto* tiles = new QWidget(grid);
        auto* flow = new QFlowLayout(tiles, 0, 12, 12);
        const QStringList names = {"Work", "Gaming", "Studio", "Focus", "Evening", "Travel"};
        for (const QString& name : names) {
            auto* tile = new BaseWidget(tiles);
            tile->setFixedSize(150, 96);
            tile->setStyleSheet(QStringLiteral("OV--BaseWidget{background:#24272C; border:1px solid #2F3339; "
                                               "border-radius:10px;} OV--BaseWidget[selected=\"true\"]{border-color:"
                                               "#3D7EFF;}"));
            auto* label = new QLabel(name, tile);
            label->move(14, 64);
            tile->setSelected(name == QLatin1String("Work"));
            flow->addWidget(tile);
        }
        column->addWidget(tiles, 1);
        auto* pager = new PaginationWidget(grid);
        pager->setTotalPages(10);
        pager->setCurrentPage(5);
        column->addWidget(pager);
        auto* side = makeList(content);
        side->setFixedWidth(280);
        side->setStyleSheet(QStringLiteral("QAbstractScrollArea{border-left:1px solid #2A2D33;}"));
        row->addWidget(grid, 1);
        row->addWidget(side);
        window.setContentWidget(content);
        window.show();
        window.resize(1000, 640);
        window.moveToCenter();

        ToastWidget* toast = ToastWidget::showInfo(&window, QStringLiteral("Deploy Success"), true, 60000);
        save(shoot(&window, {toast}), "window_with_toast");
        toast->close();
    }

    void messageDialogs()
    {
        const QList<QPair<MessageDialog*, const char*>> dialogs = {
            {MessageDialog::error(QStringLiteral("Open project failed. Details: the file is not a project."), true),
             "dialog_error"},
            {MessageDialog::warning(QStringLiteral("The hub is offline. Changes will be deployed later."), true),
             "dialog_warning"},
            {MessageDialog::information(QStringLiteral("The plug-in was installed."), true), "dialog_information"},
            {MessageDialog::askSaveChanges(QString(), true), "dialog_save_changes"},
        };
        for (const auto& [dialog, name] : dialogs) {
            save(shoot(dialog), name);
            dialog->close();
        }
    }

    void toastsAndWaitDialog()
    {
        BaseWindow host;
        host.setTitle(QStringLiteral("OrvelWorkSpace"));
        host.setContentWidget(new QWidget);
        host.show();
        host.resize(640, 360);
        ToastWidget* info = ToastWidget::showInfo(&host, QStringLiteral("Saved"), true, 60000);
        ToastWidget* error =
            ToastWidget::showError(&host, QStringLiteral("Deploy failed, details: timeout"), true, 60000);
        error->move(info->pos() - QPoint(0, 92));
        save(shoot(&host, {info, error}), "toasts");
        info->close();
        error->close();

        auto* wait = new WaitDialog(nullptr, 60000);
        wait->setText(QStringLiteral("Connecting to the hub..."));
        wait->show();
        save(shoot(wait), "wait_dialog");
        wait->close();
    }

    void widgetSheet()
    {
        BaseWindow window;
        window.setTitle(QStringLiteral("Widgets"));
        auto* content = new QWidget;
        auto* row = new QHBoxLayout(content);
        row->setContentsMargins(24, 24, 24, 24);
        row->setSpacing(24);
        auto* wheel = new ColorWheelWidget(content);
        wheel->setFixedSize(200, 200);
        row->addWidget(wheel);
        auto* right = new QVBoxLayout;
        auto* busy = new BusyIndicator(content);
        busy->setFixedSize(50, 50);
        right->addWidget(busy);
        auto* combo = new SearchableComboBox(content);
        combo->addItems({"Terminal", "Files", "Browser"});
        combo->setFixedHeight(36);
        right->addWidget(combo);
        auto* pager = new PaginationWidget(content);
        pager->setTotalPages(10);
        right->addWidget(pager);
        auto* list = makeList(content);
        list->setFixedHeight(260);
        right->addWidget(list);
        row->addLayout(right, 1);
        window.setContentWidget(content);
        window.show();
        window.resize(900, 560);
        QTest::mouseClick(wheel, Qt::LeftButton, {}, QPoint(160, 60));
        save(shoot(&window), "widgets");
    }
};

} // namespace

ORVEL_WIDGET_TEST_MAIN(Gallery, 1920, 1040)
#include "tst_WidgetGallery.moc"
