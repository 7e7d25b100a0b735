#pragma once

#include <QLabel>

namespace OV {

// A label that shows its full text elided (at the right unless told otherwise) when it does not
// fit its width. Its text is plain: the names it shows mostly come from outside and are never
// read as markup.
class ElidedLabel : public QLabel
{
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Owners assign it and then call updateText().
    QString fullText;
    // Where the text is cut; a path keeps its last folder with Qt::ElideMiddle.
    Qt::TextElideMode elideMode = Qt::ElideRight;

    void updateText();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_measureWhenPolished = false;
    // Layout passes resize a label several times: its text is measured once for a font, and cut
    // once for a width.
    QString m_measuredText;
    QFont m_measuredFont;
    int m_textWidth = 0;
    int m_cutWidth = -1;
    Qt::TextElideMode m_cutMode = Qt::ElideRight;
    QString m_cutText;
};

} // namespace OV
