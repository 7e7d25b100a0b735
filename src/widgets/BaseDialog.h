#pragma once

#include "widgets/BaseWindow.h"

#include <functional>

class QPushButton;

namespace OV {

// A BaseWindow of 500 x 250 without minimise and maximise buttons: a content area above a
// right-aligned row of three buttons whose texts and handlers the caller sets.
class BaseDialog : public BaseWindow
{
    Q_OBJECT
public:
    explicit BaseDialog(QWidget* parent = nullptr);

    QPushButton* button1 = nullptr;
    QPushButton* button2 = nullptr;
    QPushButton* button3 = nullptr;
    std::function<void(BaseDialog&)> button1Handler;
    std::function<void(BaseDialog&)> button2Handler;
    std::function<void(BaseDialog&)> button3Handler;

    void setContentWidget(QWidget* widget);
    QWidget* dialogContentArea() const { return m_contentArea; }

public slots:
    void onClick();

protected:
    virtual void onButton1Clicked();
    virtual void onButton2Clicked();
    virtual void onButton3Clicked();

private:
    QWidget* m_contentArea = nullptr;
    QWidget* m_body = nullptr;
};

} // namespace OV
