#pragma once

#include <QLabel>

namespace OV {

// A label that shows its full text elided at the right when it does not fit its width.
class ElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // Owners assign it and then call updateText().
    QString fullText;

    void updateText();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace OV
