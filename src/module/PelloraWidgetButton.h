#pragma once

#include "module/PelloraWidget.h"

namespace OV {

// The editor of a button widget: its image and size. A button's three images are the chosen
// picture trimmed ("rawIcon"), that picture fitted into percent x 240 px ("unpressedIcon") and
// that again at 80 % ("pressedIcon").
class PelloraWidgetButton : public PelloraWidget
{
    Q_OBJECT
public:
    static constexpr int kType = 1;
    static constexpr int kPackedSide = 240;

    PelloraWidgetButton(qint64 moduleRecordId, const nlohmann::json& widget, PelloraImageMap images,
                        QWidget* parent = nullptr);

    PelloraWidgetInfo* buildWidgetInfo() override;

    static QString imageName(int64_t widgetId, const char* kind);
    static QPixmap unpressedImage(const QPixmap& raw, int percent);
    static QPixmap pressedImage(const QPixmap& unpressed);
};

} // namespace OV
